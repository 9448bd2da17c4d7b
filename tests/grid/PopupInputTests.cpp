// The drop-down editors, their popups and the text-fit hint driven the way a user drives them:
// editors opened by a click on their cell, mouse messages delivered where the system delivers
// them (to the capture, else to the window under the point), and the real pointer where the
// capture rules read it. Also where popups land on the screen, and the calendar's texts.
#include "EditingTestSupport.h"
#include "PaintTestSupport.h"

#include "grid/data/ColumnClasses.h"
#include "grid/editors/ButtonEditors.h"
#include "grid/popups/ControlsCommon.h"
#include "ui/controls/Forms.h"
#include "ui/core/ScopeGuard.h"

#include <gtest/gtest.h>

using namespace grid;
using namespace gridtest;
using testsupport::MoveCursorTo;
using testsupport::PumpUntil;

namespace {

POINT ScreenOf(ui::TControl& control, int x, int y)
{
    ui::TPoint p = control.ClientToScreen(ui::Point(x, y));
    return POINT{p.x, p.y};
}

// A mouse button message where the system sends it: to the window holding the capture, else to
// the window under the point, in that window's client coordinates.
void Deliver(UINT msg, POINT screen)
{
    HWND wnd = GetCapture();
    if (wnd == nullptr)
        wnd = WindowFromPoint(screen);
    POINT p = screen;
    ScreenToClient(wnd, &p);
    PostMessageW(wnd, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(p.x, p.y));
    Drain();
}

void UserClick(POINT screen)
{
    Deliver(WM_LBUTTONDOWN, screen);
    Deliver(WM_LBUTTONUP, screen);
}

// A press and release of the real left button wherever the pointer is.
bool RealClick()
{
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, in, sizeof(INPUT)) == 2;
}

// Opens a cell's editor as a user does, by clicking the cell.
template <class E>
E* OpenByClick(TEditingGrid& g, int col, int row)
{
    ui::TRect r = g.grid->CellRect(col, row);
    UserClick(ScreenOf(*g.grid, (r.left + r.right) / 2, (r.top + r.bottom) / 2));
    return dynamic_cast<E*>(g.grid->Editor());
}

POINT ButtonCentre(TCustomButtonCellEditor& e) { return ScreenOf(*e.Button(), 4, e.Button()->Height() / 2); }

// Errors that reach the message loop, recorded instead of shown in a message box.
struct TRecordedErrors {
    std::vector<std::wstring> Messages;
    TRecordedErrors()
    {
        ui::Application->OnException = [this](ui::TObject*, ui::Exception& e) { Messages.push_back(e.Message()); };
    }
    ~TRecordedErrors() { ui::Application->OnException = nullptr; }
};

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

} // namespace

TEST(PopupInput, ListOnlyDropDownOpensByItsTextAndChoosesWithOneClick)
{
    TEditingGrid g;
    dynamic_cast<TComboBoxColumn*>(g.grid->Columns()->Items(4))->SetStyle(TCompoBoxStyle::cbsDropDownList);
    auto* editor = OpenByClick<TComboBoxEditor>(g, 4, 0);
    ASSERT_NE(editor, nullptr) << "a click on the cell opened its combo box";
    ASSERT_EQ(editor->Style(), TDropDownStyle::dsDropDownList);
    auto* list = dynamic_cast<TPopupList*>(editor->Popup());
    POINT text = ScreenOf(*editor, 20, editor->ClientHeight() / 2);

    UserClick(text);
    ASSERT_FALSE(list->Closed()) << "a click on the text drops the list down";
    EXPECT_TRUE(list->Armed()) << "the release of that click reached the list";
    EXPECT_EQ(GetCapture(), list->Handle()) << "the list, not the edit control, holds the mouse";
    EXPECT_TRUE(editor->Button()->Pressed()) << "shown as a press of the button";

    UserClick(ScreenOf(*list, 10, 2 * list->ItemHeight() + 5));
    EXPECT_TRUE(list->Closed()) << "one click on an item chooses it";
    EXPECT_EQ(N(editor->Text()), "Mavi");
    EXPECT_EQ(editor->ItemIndex(), 2);

    UserClick(text);
    ASSERT_FALSE(list->Closed());
    UserClick(ScreenOf(*g.grid, 5, g.grid->ClientHeight() - 5));
    EXPECT_TRUE(list->Closed()) << "a click outside closes the list opened by the text";
    EXPECT_EQ(N(editor->Text()), "Mavi") << "without choosing";
    EXPECT_NE(GetCapture(), list->Handle());
}

TEST(PopupInput, ClickOnTheListsScrollBarScrollsWithoutClosing)
{
    TEditingGrid g;
    std::vector<std::wstring> items;
    for (int i = 0; i < 20; ++i)
        items.push_back(L"item " + std::to_wstring(i));
    dynamic_cast<TComboBoxColumn*>(g.grid->Columns()->Items(4))->SetItems(items);
    auto* editor = OpenByClick<TComboBoxEditor>(g, 4, 0);
    ASSERT_NE(editor, nullptr);
    auto* list = dynamic_cast<TPopupList*>(editor->Popup());
    UserClick(ButtonCentre(*editor));
    ASSERT_FALSE(list->Closed());
    ASSERT_TRUE(list->Armed());

    // From outside onto the scroll bar's lower arrow, with the real pointer.
    RECT window;
    GetWindowRect(list->Handle(), &window);
    POINT outside{window.left - 30, window.top + 10};
    POINT arrow{window.right - 1 - GetSystemMetrics(SM_CXVSCROLL) / 2, window.bottom - 5};
    ASSERT_TRUE(MoveCursorTo(outside.x, outside.y));
    ASSERT_TRUE(MoveCursorTo(arrow.x, arrow.y));
    EXPECT_TRUE(PumpUntil([&] { return GetCapture() != list->Handle(); }, 3000))
        << "over its scroll bar the list lets the mouse go to the scroll bar";
    ASSERT_TRUE(RealClick());
    EXPECT_TRUE(PumpUntil([&] { return list->VertScrollBar()->Position() > 0 || list->Closed(); }, 3000));
    EXPECT_FALSE(list->Closed()) << "a click on the scroll bar is not a click outside";
    EXPECT_EQ(list->VertScrollBar()->Position(), 1) << "the arrow scrolled one item";

    ASSERT_TRUE(MoveCursorTo(outside.x, outside.y));
    EXPECT_TRUE(PumpUntil([&] { return GetCapture() == list->Handle(); }, 3000))
        << "outside again, the list takes the mouse back";
    ASSERT_TRUE(RealClick());
    EXPECT_TRUE(PumpUntil([&] { return list->Closed(); }, 3000)) << "and an outside click closes it";
    EXPECT_EQ(N(editor->Text()), "") << "without choosing";
}

TEST(PopupInput, CalendarIsArmedByAReleaseOnItsButtonsAndOpensOnAHalfTypedDate)
{
    TRecordedErrors errors;
    TEditingGrid g;
    auto* editor = OpenByClick<TDatePickerEditor>(g, 5, 0);
    ASSERT_NE(editor, nullptr);
    auto* popup = dynamic_cast<TDatePopup*>(editor->Popup());
    editor->SetDate(DateFromParts(2026, 3, 14));
    std::wstring date = editor->Text();
    POINT outside = ScreenOf(*g.grid, 5, g.grid->ClientHeight() - 5);

    // The opening press on the button, its release over "Today", then over "None".
    for (TPopupSmallButton* button : {popup->TodayButton(), popup->NoneButton()}) {
        Deliver(WM_LBUTTONDOWN, ButtonCentre(*editor));
        ASSERT_FALSE(popup->Closed());
        ui::TRect r = button->BoundsRect();
        Deliver(WM_LBUTTONUP, ScreenOf(*popup, r.left + 5, r.top + 5));
        EXPECT_FALSE(popup->Closed()) << "the release of the opening click chooses nothing";
        EXPECT_TRUE(popup->Armed()) << "but arms the calendar, even over " << N(button->Caption());
        UserClick(outside);
        EXPECT_TRUE(popup->Closed()) << "so the next click outside closes it";
        EXPECT_EQ(N(editor->Text()), N(date));
    }

    editor->SelectAll();
    TypeText(editor->Handle(), L"12.0");
    ASSERT_EQ(N(editor->Text()), "12.0");
    Deliver(WM_LBUTTONDOWN, ButtonCentre(*editor));
    EXPECT_TRUE(errors.Messages.empty()) << N(errors.Messages.empty() ? L"" : errors.Messages[0]);
    ASSERT_FALSE(popup->Closed()) << "a half-typed date still opens the calendar";
    int year = 0, month = 0, day = 0;
    DateToParts(Today(), year, month, day);
    EXPECT_EQ(popup->Year() * 100 + popup->Month(), year * 100 + month) << "at today's month";
    EXPECT_EQ(popup->SelectedDate(), Today());
    Deliver(WM_LBUTTONUP, ButtonCentre(*editor));
    UserClick(outside);
    EXPECT_TRUE(popup->Closed());
    EXPECT_EQ(N(editor->Text()), "12.0") << "the text stays for the user to finish";
}

TEST(PopupInput, CalendarSpeaksTheUsersLanguageAndFillsTheSelectedDay)
{
    // The tests run under the Turkish locale.
    EXPECT_EQ(N(MonthName(12)), N(L"Aral\x0131k"));
    EXPECT_EQ(N(MonthName(1)), "Ocak");
    EXPECT_EQ(N(DayLetter(1)), "P") << "Sunday, Pazar, heads the first column";
    EXPECT_EQ(N(DayLetter(4)), N(L"\x00C7")) << "Wednesday, \x00C7" "ar\x015F" "amba";

    TEditingGrid g;
    TFakeThemes classic(false);
    auto* editor = OpenByClick<TDatePickerEditor>(g, 5, 0);
    ASSERT_NE(editor, nullptr);
    editor->SetDate(DateFromParts(2026, 12, 8));
    auto* popup = dynamic_cast<TDatePopup*>(editor->Popup());
    UserClick(ButtonCentre(*editor));
    ASSERT_FALSE(popup->Closed());
    popup->Update();
    // 1 December 2026 is a Tuesday: the 8th is in column 2 of the second row.
    ASSERT_EQ(popup->CellDate(2, 1), DateFromParts(2026, 12, 8));
    ui::TWindowDC dc(popup->Handle(), ui::TWindowDC::waClient);
    EXPECT_EQ(GetPixel(dc, 14 + 17 * 2 + 1, 36 + 15 * 1 + 1), RGB(192, 192, 192)) << "the selected day is filled";
    EXPECT_EQ(GetPixel(dc, 14 + 17 * 3 + 1, 36 + 15 * 1 + 1), RGB(255, 255, 255)) << "the next day is not";
}

TEST(PopupInput, PopupsStayInsideTheWorkArea)
{
    ui::TRect work = ui::Rect(0, 0, 1000, 700);
    EXPECT_EQ(PlacePopup(ui::Point(100, 200), 120, 50, work, 180), ui::Bounds(100, 200, 120, 50)) << "room below";
    EXPECT_EQ(PlacePopup(ui::Point(100, 680), 120, 50, work, 660), ui::Bounds(100, 610, 120, 50))
        << "no room below: above the editor";
    EXPECT_EQ(PlacePopup(ui::Point(950, 680), 120, 50, work), ui::Bounds(880, 650, 120, 50)) << "a hint moves in";
    EXPECT_EQ(PlacePopup(ui::Point(-5, 30), 1200, 50, work, 10), ui::Bounds(0, 30, 1200, 50))
        << "wider than the screen: its left edge shows";

    // An editor in the bottom-right corner of the screen.
    TEditingGrid g;
    ui::TRect cell = g.grid->CellRect(5, 2);
    POINT corner = ScreenOf(*g.grid, cell.right, cell.bottom);
    RECT area = WorkAreaOf(ui::Bounds(corner.x, corner.y, 1, 1));
    g.host->SetBounds(g.host->Left() + area.right - 1 - corner.x, g.host->Top() + area.bottom - 1 - corner.y,
                      g.host->Width(), g.host->Height());
    Drain();
    auto* date = OpenByClick<TDatePickerEditor>(g, 5, 2);
    ASSERT_NE(date, nullptr);
    UserClick(ButtonCentre(*date));
    ASSERT_FALSE(date->Popup()->Closed());
    RECT shown, editor;
    GetWindowRect(date->Popup()->Handle(), &shown);
    GetWindowRect(date->Handle(), &editor);
    EXPECT_TRUE(Inside(shown, area)) << "the calendar is on the screen";
    EXPECT_LE(shown.bottom, editor.top) << "above the editor, as there is no room below";
    date->Popup()->CloseUp();

    auto* combo = OpenByClick<TComboBoxEditor>(g, 4, 2);
    ASSERT_NE(combo, nullptr);
    UserClick(ButtonCentre(*combo));
    ASSERT_FALSE(combo->Popup()->Closed());
    GetWindowRect(combo->Popup()->Handle(), &shown);
    EXPECT_TRUE(Inside(shown, area)) << "the list is on the screen";
    EXPECT_LE(shown.bottom, editor.top);
    combo->Popup()->CloseUp();

    // The text-fit hint of a long text near the right edge.
    TCustomColumn* column = g.grid->Columns()->Items(4);
    g.grid->CloseEditor();
    column->SetOptions(column->Options() + TColumnOptions{TColumnOption::coShowTextFitHint});
    g.grid->SetCellText(4, 2, std::wstring(60, L'W'));
    cell = g.grid->CellRect(4, 2);
    MouseMove(g.GridWnd(), cell.left + 5, cell.top + 5);
    THintWindow* hint = g.grid->TextFitHint();
    ASSERT_TRUE(hint->HandleAllocated() && IsWindowVisible(hint->Handle()));
    GetWindowRect(hint->Handle(), &shown);
    EXPECT_TRUE(Inside(shown, area)) << "the hint is on the screen";
}

TEST(PopupInput, TextFitHintStaysUnderThePointerAndShowsEveryLine)
{
    TEditingGrid g;
    TCustomColumn* column = g.grid->Columns()->Items(0);
    column->SetOptions(column->Options() + TColumnOptions{TColumnOption::coShowTextFitHint});
    g.grid->SetCellText(0, 0, L"a long call note that wraps over several lines of the hint when the grid is narrow, "
                              L"with words of uneven length so that the lines break in many places");
    ui::TRect cell = g.grid->CellRect(0, 0);
    THintWindow* hint = g.grid->TextFitHint();
    auto shown = [&] { return hint->HandleAllocated() && IsWindowVisible(hint->Handle()) != FALSE; };

    // The real pointer rests on the cell, under the hint's corner.
    POINT at = ScreenOf(*g.grid, cell.left + 5, cell.top + 3);
    ASSERT_TRUE(MoveCursorTo(at.x, at.y));
    MouseMove(g.GridWnd(), cell.left + 5, cell.top + 3);
    ASSERT_TRUE(shown());
    EXPECT_EQ(WindowFromPoint(at), g.GridWnd()) << "the pointer stays over the grid, not over the hint";
    testsupport::PumpFor(300);
    EXPECT_TRUE(shown()) << "the grid does not see the pointer leave it for the hint";

    for (int width = 160; width < 200; width += 3) {
        g.grid->SetWidth(width);
        MouseMove(g.GridWnd(), cell.left + 5, cell.bottom + 5); // a short text in the row below
        MouseMove(g.GridWnd(), cell.left + 5, cell.top + 3);
        ASSERT_TRUE(shown()) << width;
        RECT text;
        GetClientRect(hint->Handle(), &text);
        InflateRect(&text, -2, -2);
        RECT need{0, 0, text.right - text.left, 0};
        ui::TWindowDC dc(hint->Handle(), ui::TWindowDC::waClient);
        ui::TSavedDC saved(dc);
        SelectObject(dc, hint->Font()->Handle());
        DrawTextW(dc, hint->HintText().c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
        EXPECT_LE(need.bottom, text.bottom - text.top) << "every line shows at grid width " << width;
    }
}

TEST(PopupInput, AReCreatedEditorKeepsWhatWasTyped)
{
    TEditingGrid g;
    auto* editor = OpenByClick<TTextualEditor>(g, 0, 1);
    ASSERT_NE(editor, nullptr);
    editor->SetCaret(static_cast<int>(editor->Text().size()));
    TypeText(editor->Handle(), L" yaz");
    ASSERT_EQ(N(editor->Text()), "iki yaz");
    editor->Select(1, 2);
    HWND before = editor->Handle();
    editor->SetAlignment(TAlignment::taRightJustify);
    editor->SetMargin(3);
    editor->SetVerticalAlignment(TVerticalAlignment::vaTop);
    ASSERT_NE(editor->Handle(), before) << "the window was made again";
    EXPECT_EQ(N(editor->Text()), "iki yaz") << "with the text typed so far";
    EXPECT_EQ(editor->SelStart(), 1);
    EXPECT_EQ(editor->SelLength(), 2) << "and the selection";
    EXPECT_TRUE(GetWindowLongW(editor->Handle(), GWL_STYLE) & ES_RIGHT) << "now right-aligned";
}
