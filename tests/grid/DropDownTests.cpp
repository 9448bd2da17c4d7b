// The drop-down editors through real windows: the combo box's list (size, opening, the click
// that opened it, choosing, closing outside and when the editor goes), the button editor's text
// rectangle, and the date picker's month calendar (first cell, month navigation, day hit test,
// Today and None).
#include "EditingTestSupport.h"

#include "grid/editors/ButtonEditors.h"

#include <gtest/gtest.h>

using namespace grid;
using namespace gridtest;

namespace {

struct TComboOnGrid : TEditingGrid {
    TComboBoxEditor* editor = nullptr;
    TComboOnGrid()
    {
        grid->OpenCellEditor(4, 0, L"");
        editor = dynamic_cast<TComboBoxEditor*>(grid->Editor());
    }
    TPopupList* List() { return dynamic_cast<TPopupList*>(editor->Popup()); }
    HWND ButtonWnd() { return editor->Button()->Handle(); }
    // Presses and releases the drop-down button, as one click does.
    void ClickButton()
    {
        MouseDown(ButtonWnd(), 4, 4);
        // The popup holds the capture now: the release of the same click goes to it.
        HWND capture = GetCapture();
        PostMessageW(capture != nullptr ? capture : ButtonWnd(), WM_LBUTTONUP, 0, MAKELPARAM(4, -10));
        Drain();
    }
};

std::vector<std::wstring> Numbered(int count)
{
    std::vector<std::wstring> items;
    for (int i = 0; i < count; ++i)
        items.push_back(L"item " + std::to_wstring(i));
    return items;
}

} // namespace

TEST(ComboBoxEditor, ListHeightFollowsItemsAndDropDownCount)
{
    TComboOnGrid g;
    ASSERT_NE(g.editor, nullptr) << "a combo box column opens a combo box editor";
    EXPECT_EQ(g.editor->Items().size(), 3u) << "PrepareEditor copied the column's items";
    g.ClickButton();
    TPopupList* list = g.List();
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->Closed());
    EXPECT_EQ(list->ClientHeight(), 48) << "3 items of 16 pixels";
    EXPECT_EQ(list->Width(), g.editor->Width());
    list->CloseUp();

    g.editor->SetItems(Numbered(20));
    g.ClickButton();
    EXPECT_EQ(list->ClientHeight(), 128) << "DropDownCount 8 rows of 16 pixels";
    EXPECT_EQ(list->VertScrollBar()->Max(), 12) << "20 - 8 rows to scroll";
    list->CloseUp();
}

TEST(ComboBoxEditor, OpeningClickSelectsNothingAndAnItemClickChooses)
{
    TComboOnGrid g;
    ASSERT_NE(g.editor, nullptr);
    g.editor->SetText(L"not in the list");
    g.ClickButton();
    TPopupList* list = g.List();
    ASSERT_FALSE(list->Closed()) << "the release of the opening click leaves the list open";
    EXPECT_TRUE(list->Armed());
    EXPECT_EQ(list->HotIndex(), 0) << "a text not among the items opens at the top";
    EXPECT_EQ(list->VertScrollBar()->Position(), 0);
    EXPECT_EQ(N(g.editor->Text()), "not in the list");
    EXPECT_EQ(GetFocus(), g.editor->Handle()) << "the list never takes the keyboard";

    HWND lw = list->Handle();
    MouseMove(lw, 10, 16 + 5);
    EXPECT_EQ(list->HotIndex(), 1) << "the hot item follows the pointer";
    MouseDown(lw, 10, 16 + 5);
    MouseUp(lw, 10, 16 + 5);
    EXPECT_TRUE(list->Closed());
    EXPECT_EQ(N(g.editor->Text()), N(L"Ye\x015Fil"));
    EXPECT_EQ(g.editor->ItemIndex(), 1);
    EXPECT_FALSE(g.editor->Button()->Pressed());
    EXPECT_NE(GetCapture(), lw);

    // Opening on a listed text makes it hot; a click outside closes without choosing.
    g.ClickButton();
    EXPECT_EQ(list->HotIndex(), 1);
    MouseDown(lw, -30, -30);
    MouseUp(lw, -30, -30);
    EXPECT_TRUE(list->Closed());
    EXPECT_EQ(N(g.editor->Text()), N(L"Ye\x015Fil"));
    // A click below the last item of a short list chooses nothing.
    g.editor->SetItems({L"a"});
    g.editor->SetDropDownCount(1);
    g.ClickButton();
    list->SetHeight(list->Height() + 32);
    MouseDown(lw, 10, 40);
    MouseUp(lw, 10, 40);
    EXPECT_TRUE(list->Closed());
    EXPECT_EQ(N(g.editor->Text()), N(L"Ye\x015Fil")) << "no item under the pointer, nothing chosen";
}

TEST(ComboBoxEditor, PopupClosesWhenTheEditorCloses)
{
    TComboOnGrid g;
    ASSERT_NE(g.editor, nullptr);
    g.ClickButton();
    TPopupList* list = g.List();
    ASSERT_FALSE(list->Closed());
    PressKey(g.editor->Handle(), VK_ESCAPE);
    EXPECT_FALSE(g.grid->EditorOpen());
    EXPECT_TRUE(list->Closed()) << "Escape closed the editor and with it the list";
    EXPECT_NE(GetCapture(), list->Handle()) << "and the mouse is free again";
    EXPECT_FALSE(WindowShown(list->Handle()));

    g.grid->OpenCellEditor(4, 1, L"");
    g.ClickButton();
    ASSERT_FALSE(list->Closed());
    g.grid->SetWidth(g.grid->Width() - 20); // a resize closes the editor
    Drain();
    EXPECT_TRUE(list->Closed());
    EXPECT_NE(GetCapture(), list->Handle());
}

TEST(ComboBoxEditor, ItemIndexIsClampedAndKeysStep)
{
    TComboOnGrid g;
    ASSERT_NE(g.editor, nullptr);
    g.editor->SetItemIndex(7);
    EXPECT_EQ(g.editor->ItemIndex(), 2);
    EXPECT_EQ(N(g.editor->Text()), "Mavi");
    g.editor->SetItemIndex(-3);
    EXPECT_EQ(g.editor->ItemIndex(), 0);
    PressKey(g.editor->Handle(), VK_DOWN);
    EXPECT_EQ(g.editor->ItemIndex(), 1);
    PostMessageW(g.editor->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    Drain();
    EXPECT_EQ(g.editor->ItemIndex(), 0);
    g.editor->SetItems({});
    g.editor->SetItemIndex(1);
    EXPECT_EQ(g.editor->ItemIndex(), 0) << "no items: nothing changes";
}

TEST(ButtonEditor, TextRectangleLeavesTheButtonsRealWidth)
{
    TTextualEditor plain(nullptr);
    TCustomButtonCellEditor withExecute(nullptr);
    TComboBoxEditor withArrow(nullptr);
    for (TTextualEditor* e : {&plain, static_cast<TTextualEditor*>(&withExecute), static_cast<TTextualEditor*>(&withArrow)})
        e->SetBounds(0, 0, 120, 20);
    ui::TRect a, b, c;
    plain.GetTextRect(a);
    withExecute.GetTextRect(b);
    withArrow.GetTextRect(c);
    EXPECT_EQ(a.right - b.right, 21) << "the push button is 21 pixels wide";
    EXPECT_EQ(a.right - c.right, 16) << "the arrow is 16 pixels wide";
}

TEST(DatePopup, FirstCellAndDayHitTest)
{
    // 1 June 2025 is a Sunday: the page starts with it.
    EXPECT_EQ(FirstCellDate(2025, 6), DateFromParts(2025, 6, 1));
    EXPECT_EQ(DayOfWeek(DateFromParts(2025, 6, 1)), 1);
    // 1 January 2025 is a Wednesday (4): the page starts with 31 - 4 + 2 = 29 December.
    EXPECT_EQ(DayOfWeek(DateFromParts(2025, 1, 1)), 4);
    EXPECT_EQ(FirstCellDate(2025, 1), DateFromParts(2024, 12, 29));
    int year = 0, month = 0, day = 0;
    DateToParts(DateFromParts(2024, 2, 29), year, month, day);
    EXPECT_EQ(year * 10000 + month * 100 + day, 20240229);

    int c = -1, r = -1;
    EXPECT_TRUE(DayCellAt(14, 36, c, r));
    EXPECT_EQ(c, 0);
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(DayCellAt(14 + 17 * 6 + 16, 36 + 15 * 5 + 14, c, r));
    EXPECT_EQ(c, 6);
    EXPECT_EQ(r, 5);
    EXPECT_FALSE(DayCellAt(14 + 17 * 7, 40, c, r)) << "right of the seventh column";
    EXPECT_FALSE(DayCellAt(30, 131 + 5, c, r)) << "the Today button is not a day";
    EXPECT_FALSE(DayCellAt(13, 40, c, r));
}

TEST(DatePickerEditor, CalendarNavigationTodayAndNone)
{
    TEditingGrid g;
    g.grid->OpenCellEditor(5, 0, L"");
    auto* editor = dynamic_cast<TDatePickerEditor*>(g.grid->Editor());
    ASSERT_NE(editor, nullptr) << "a date column opens a date picker";
    EXPECT_EQ(editor->Style(), TDropDownStyle::dsDropDown);
    editor->SetDate(DateFromParts(2025, 1, 15));
    MouseDown(editor->Button()->Handle(), 4, 4);
    auto* popup = dynamic_cast<TDatePopup*>(editor->Popup());
    ASSERT_NE(popup, nullptr);
    ASSERT_FALSE(popup->Closed());
    EXPECT_EQ(popup->Width(), 151);
    EXPECT_EQ(popup->Height(), 163);
    EXPECT_EQ(popup->Month(), 1);
    EXPECT_EQ(popup->Year(), 2025);
    HWND pw = popup->Handle();
    MouseUp(pw, 4, -10); // the release of the opening click arms it
    EXPECT_TRUE(popup->Armed());

    MouseDown(pw, 9, 9); // the left arrow
    MouseUp(pw, 9, 9);
    EXPECT_FALSE(popup->Closed()) << "a release in the title keeps the calendar open";
    EXPECT_EQ(popup->Month(), 12);
    EXPECT_EQ(popup->Year(), 2024);
    MouseDown(pw, popup->ClientWidth() - 9, 9);
    MouseUp(pw, popup->ClientWidth() - 9, 9);
    EXPECT_EQ(popup->Month(), 1);
    EXPECT_EQ(popup->Year(), 2025);

    // Cell (3, 1) of January 2025: the page starts on 29 December, so this is 8 January.
    int x = 14 + 17 * 3 + 5, y = 36 + 15 * 1 + 5;
    MouseDown(pw, x, y);
    EXPECT_EQ(popup->SelectedDate(), DateFromParts(2025, 1, 8));
    MouseUp(pw, x, y);
    EXPECT_TRUE(popup->Closed());
    EXPECT_EQ(editor->Date(), DateFromParts(2025, 1, 8));

    MouseDown(editor->Button()->Handle(), 4, 4);
    MouseUp(pw, 4, -10);
    ui::TRect none = popup->NoneButton()->BoundsRect();
    MouseDown(pw, none.left + 5, none.top + 5);
    MouseUp(pw, none.left + 5, none.top + 5);
    EXPECT_TRUE(popup->Closed());
    EXPECT_EQ(N(editor->Text()), "") << "None empties the date";
    EXPECT_EQ(editor->Date(), Today()) << "an empty date reads as today";
    PressKey(editor->Handle(), VK_RETURN);
    EXPECT_FALSE(g.grid->EditorOpen()) << "the commit went through";
    EXPECT_EQ(g.grid->Cell(5, 0)->AsDateTime(), 0.0) << "the date cell takes the empty value";

    g.grid->OpenCellEditor(5, 1, L"");
    MouseDown(editor->Button()->Handle(), 4, 4);
    MouseUp(pw, 4, -10);
    ui::TRect today = popup->TodayButton()->BoundsRect();
    MouseDown(pw, today.left + 5, today.top + 5);
    MouseUp(pw, today.left + 5, today.top + 5);
    EXPECT_TRUE(popup->Closed());
    EXPECT_EQ(editor->Date(), Today());
}
