// Tests of the standard controls with real windows and messages: labels, edits, memos,
// progress bars, group boxes, page controls, buttons, pictures, popup menus, cursors, message
// boxes; their stored descriptions; and that painting them leaks nothing.
#include "ui/controls/Buttons.h"
#include "ui/controls/ComCtrls.h"
#include "ui/controls/Dialogs.h"
#include "ui/controls/ExtCtrls.h"
#include "ui/controls/Forms.h"
#include "ui/controls/Menus.h"
#include "ui/controls/StdCtrls.h"
#include "ui/core/Description.h"

#include "tests/support/GdiLeakCheck.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>

using namespace ui;
using testsupport::PumpUntil;

namespace {

// A popup menu that records where and for whom it would have been shown, instead of running
// the platform's modal menu loop.
class TRecordingPopupMenu : public TPopupMenu {
public:
    explicit TRecordingPopupMenu(TComponent* owner) : TPopupMenu(owner) {}
    void Popup(int x, int y) override
    {
        ++Shown;
        At = TPoint{x, y};
        ShownFor = PopupComponent();
    }
    int Shown = 0;
    TPoint At{};
    TComponent* ShownFor = nullptr;
};

class ControlsTest : public testing::Test {
protected:
    void SetUp() override
    {
        Application->Initialize();
        Owner = std::make_unique<TComponent>(nullptr);
        Form = new TForm(Owner.get());
        Form->SetBounds(0, 0, 400, 300);
        // Messages are sent straight to the windows, so the window need not be on screen
        // (showing and hiding a window under Xvfb costs seconds).
        Form->HandleNeeded();
    }
    void TearDown() override { Owner.reset(); }

    // A control of class T inside `parent` at the given bounds, owned by the form.
    template <class T>
    T* Place(TWinControl* parent, int x, int y, int width, int height)
    {
        auto* control = new T(Form);
        control->SetParent(parent);
        control->SetBounds(x, y, width, height);
        return control;
    }

    // Clicks the form's client area at (x, y) with the left button.
    void ClickAt(TWinControl& target, int x, int y)
    {
        SendMessageW(target.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(target.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    // Paints the form's client area (its own drawing and its windowless children) into a bitmap.
    std::unique_ptr<TBitmap> PaintForm()
    {
        auto b = std::make_unique<TBitmap>(Form->ClientWidth(), Form->ClientHeight());
        HDC dc = b->Canvas().Handle();
        SendMessageW(Form->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        SendMessageW(Form->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        return b;
    }

    std::unique_ptr<TComponent> Owner;
    TForm* Form = nullptr;
};

} // namespace

TEST_F(ControlsTest, LabelClicksSizesPaintsAndOffersItsPopupMenu)
{
    auto* label = new TLabel(Form);
    label->SetParent(Form);
    label->SetBounds(20, 30, 10, 10);
    label->Font()->SetName(L"Tahoma");
    label->Font()->SetHeight(-13);
    label->SetCaption(L"Çağrı sayısı : ");
    EXPECT_GT(label->Width(), 40) << "auto-size follows the caption";
    int wide = label->Width();
    label->SetCaption(L"0");
    EXPECT_LT(label->Width(), wide);
    EXPECT_EQ(label->Left(), 20);

    int clicks = 0;
    label->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, label);
        ++clicks;
    };
    ClickAt(*Form, 21, 31);
    EXPECT_EQ(clicks, 1) << "a click on the label reaches its OnClick";
    ClickAt(*Form, 200, 200);
    EXPECT_EQ(clicks, 1) << "a click elsewhere does not";

    auto* menu = new TRecordingPopupMenu(Form);
    label->SetPopupMenu(menu);
    SendMessageW(Form->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(21, 31));
    SendMessageW(Form->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(21, 31));
    EXPECT_EQ(menu->Shown, 1) << "a right click shows the label's popup menu";
    EXPECT_EQ(menu->ShownFor, label) << "and the menu knows which control it popped up for";
    POINT expected{21, 31};
    ::ClientToScreen(Form->Handle(), &expected);
    EXPECT_EQ(menu->At, expected) << "at the click, in screen coordinates";
    EXPECT_EQ(Form->ClientToScreen(TPoint{21, 31}), expected) << "the library's conversion agrees";
    delete menu;
    EXPECT_EQ(label->PopupMenu(), nullptr) << "a destroyed menu is forgotten";

    // Fixed size: the caption no longer changes the bounds.
    label->SetAutoSize(false);
    label->SetBounds(20, 30, 25, 13);
    label->SetCaption(L"a much longer caption");
    EXPECT_EQ(label->Width(), 25);

    label->SetColor(clRed);
    label->Font()->SetColor(clBlue);
    auto b = PaintForm();
    int red = 0, blue = 0;
    for (int x = 20; x < 45; ++x)
        for (int y = 30; y < 43; ++y) {
            red += b->PixelAt(x, y) == clRed;
            blue += b->PixelAt(x, y) == clBlue;
        }
    EXPECT_GT(red, 50) << "the label's background";
    EXPECT_GT(blue, 10) << "text in the font's colour";
    EXPECT_EQ(b->PixelAt(45, 42), ColorToRGB(clBtnFace)) << "nothing drawn outside the label";
    EXPECT_EQ(b->PixelAt(19, 30), ColorToRGB(clBtnFace));
}

TEST_F(ControlsTest, ParentFontAndColourFollowTheParentUntilSet)
{
    Form->Font()->SetName(L"Arial");
    Form->Font()->SetHeight(-11);
    auto* box = new TGroupBox(Form);
    box->SetParent(Form);
    auto* label = new TLabel(Form);
    label->SetParent(box);
    EXPECT_EQ(label->Font()->Name(), L"Arial") << "taken from the parent chain";
    Form->Font()->SetHeight(-24);
    EXPECT_EQ(box->Font()->Height(), -24);
    EXPECT_EQ(label->Font()->Height(), -24) << "a change reaches the grandchild";
    label->Font()->SetName(L"Verdana");
    EXPECT_FALSE(label->ParentFont());
    Form->Font()->SetHeight(-11);
    EXPECT_EQ(label->Font()->Height(), -24) << "an own font no longer follows";
    label->SetParentFont(true);
    EXPECT_EQ(label->Font()->Name(), L"Arial");

    box->SetColor(clYellow);
    EXPECT_EQ(label->Color(), clYellow) << "a windowless control shows its parent's colour";
    label->SetColor(clRed);
    box->SetColor(clAqua);
    EXPECT_EQ(label->Color(), clRed);
}

TEST_F(ControlsTest, GroupBoxDocksChildrenInsideFrameAndCaption)
{
    auto* box = new TGroupBox(Form);
    box->SetParent(Form);
    box->SetAlign(TAlign::alClient);
    auto* top = new TMemo(Form);
    top->SetParent(box);
    top->SetHeight(40);
    top->SetAlign(TAlign::alTop);
    auto* left = new TGroupBox(Form);
    left->SetParent(box);
    left->SetWidth(100);
    left->SetAlign(TAlign::alLeft);
    int band = box->CaptionHeight();
    EXPECT_EQ(band, 13) << "MS Sans Serif -11 has a 13-pixel line";
    EXPECT_EQ(top->Left(), 2);
    EXPECT_EQ(top->Top(), band + 2);
    EXPECT_EQ(top->Width(), box->ClientWidth() - 4);
    EXPECT_EQ(left->Top(), band + 2 + 40) << "docked below the top child";
    EXPECT_EQ(left->Height(), box->ClientHeight() - band - 4 - 40);
}

TEST_F(ControlsTest, MemoChangeFiresForEveryChangeAndLinesEdit)
{
    auto* memo = new TMemo(Form);
    memo->SetParent(Form);
    memo->SetScrollBars(TScrollStyle::ssVertical);
    memo->SetReadOnly(true);
    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    memo->Lines().Add(L"first");
    memo->Lines().Add(L"second");
    EXPECT_EQ(changes, 2) << "programmatic additions raise OnChange";
    EXPECT_EQ(memo->Text(), L"first\r\nsecond\r\n");
    EXPECT_EQ(memo->Lines().Count(), 2) << "a final line break starts no line";
    memo->Lines().Delete(0);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(memo->Lines().Count(), 1);
    EXPECT_EQ(memo->Lines()[0], L"second") << "deleting the first line keeps the rest";
    memo->SetText(L"second\r\n");
    EXPECT_EQ(changes, 3) << "setting the same text is no change";
    EXPECT_THROW(memo->Lines().Delete(5), EListError);

    // A handler that keeps the last two lines by deleting the first, which changes the text
    // again and so runs the handler again.
    memo->OnChange = [&](TObject*) {
        ++changes;
        if (memo->Lines().Count() > 2)
            memo->Lines().Delete(0);
    };
    memo->Lines().Assign({L"a", L"b"});
    for (const wchar_t* line : {L"x", L"y", L"z"})
        memo->Lines().Add(line);
    EXPECT_EQ(memo->Lines().ToVector(), (std::vector<std::wstring>{L"y", L"z"}));

    // Typed text (a real WM_CHAR into a writable memo) also raises it.
    memo->SetReadOnly(false);
    int before = changes;
    SendMessageW(memo->Handle(), WM_CHAR, L'q', 0);
    EXPECT_GT(changes, before) << "typing raises OnChange";

    // The text survives the window being made again (scroll bars change the window style).
    std::wstring text = memo->Text();
    memo->SetScrollBars(TScrollStyle::ssBoth);
    EXPECT_EQ(memo->Text(), text);
    EXPECT_TRUE(GetWindowLongW(memo->Handle(), GWL_STYLE) & WS_HSCROLL);

    // A memo that never gets a window keeps its lines all the same.
    TMemo hidden(nullptr);
    hidden.Lines().Assign({L"one", L"two"});
    EXPECT_EQ(hidden.Lines().Count(), 2);
    EXPECT_EQ(hidden.Text(), L"one\r\ntwo\r\n");
}

TEST_F(ControlsTest, EditTextSelectAllAndClick)
{
    auto* edit = new TEdit(Form);
    edit->SetParent(Form);
    edit->SetBounds(10, 10, 80, 21);
    edit->SetText(L"??");
    int clicks = 0;
    edit->OnClick = [&](TObject*) {
        ++clicks;
        edit->SelectAll();
    };
    ClickAt(*edit, 5, 5);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(edit->SelLength(), 2) << "the click handler selected all text";
    SendMessageW(edit->Handle(), WM_CHAR, L'7', 0);
    EXPECT_EQ(edit->Text(), L"7") << "typing replaced the selection";
    edit->SetText(L"??");
    EXPECT_EQ(edit->Text(), L"??") << "the program's text wins over what was typed";
}

TEST_F(ControlsTest, ProgressBarKeepsItsPositionInRange)
{
    auto* bar = new TProgressBar(Form);
    bar->SetParent(Form);
    bar->SetMax(30);
    bar->SetSmooth(true);
    bar->SetStep(1);
    bar->SetPosition(45);
    EXPECT_EQ(bar->Position(), 30) << "above the range: full";
    EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETPOS, 0, 0), 30);
    bar->SetPosition(-3);
    EXPECT_EQ(bar->Position(), 0) << "below the range: empty";
    bar->StepIt();
    EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETPOS, 0, 0), 1);
    EXPECT_TRUE(GetWindowLongW(bar->Handle(), GWL_STYLE) & PBS_SMOOTH);
    EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETRANGE, FALSE, 0), 30);
}

TEST_F(ControlsTest, PageControlKeepsAHiddenTabHidden)
{
    auto* pages = new TPageControl(Form);
    pages->SetParent(Form);
    pages->SetAlign(TAlign::alClient);
    TTabSheet* sheets[4];
    const wchar_t* captions[] = {L"Test", L"Bağlantı Kılavuzu !", L"Ayar", L"?"};
    for (int i = 0; i < 4; ++i) {
        sheets[i] = new TTabSheet(Form);
        sheets[i]->SetCaption(captions[i]);
        sheets[i]->SetPageControl(pages);
    }
    sheets[2]->SetTabVisible(false);
    HWND tabs = pages->Handle();
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3) << "no tab for the hidden page";
    EXPECT_EQ(pages->ActivePage(), sheets[0]) << "the first page becomes active";
    auto shown = [](TWinControl* c) { return (GetWindowLongW(c->Handle(), GWL_STYLE) & WS_VISIBLE) != 0; };
    EXPECT_TRUE(shown(sheets[0]));
    EXPECT_FALSE(shown(sheets[1]));

    pages->SetActivePage(sheets[2]);
    EXPECT_TRUE(shown(sheets[2])) << "the hidden tab's page can still be shown";
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3) << "showing it does not show its tab";
    EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), -1);
    pages->SetActivePage(sheets[3]);
    EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 2) << "tabs after the hidden one shift down";
    sheets[3]->SetCaption(L"¿");
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3) << "renaming a page keeps the tab hidden";
    TRect display = pages->DisplayRect();
    EXPECT_EQ(sheets[3]->BoundsRect(), display) << "the active page fills the area below the tabs";

    // Clicking a tab switches pages (the tab control notifies its parent, which reflects it).
    int changes = 0;
    pages->OnChange = [&](TObject*) { ++changes; };
    TRect tab{};
    SendMessageW(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
    SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(tab.left + 3, tab.top + 3));
    SendMessageW(tabs, WM_LBUTTONUP, 0, MAKELPARAM(tab.left + 3, tab.top + 3));
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_EQ(changes, 1);
}

TEST_F(ControlsTest, APageGetsItsWindowsWhenFirstShown)
{
    auto* pages = Place<TPageControl>(Form, 0, 0, 400, 300);
    TTabSheet* sheets[2];
    for (auto*& sheet : sheets) {
        sheet = new TTabSheet(Form);
        sheet->SetCaption(L"Sayfa");
        sheet->SetPageControl(pages);
    }
    auto* edit = Place<TEdit>(sheets[1], 8, 8, 120, 21);
    edit->SetText(L"ikinci sayfa");
    HWND tabs = pages->Handle();
    EXPECT_TRUE(sheets[0]->HandleAllocated());
    EXPECT_FALSE(sheets[1]->HandleAllocated()) << "a page that is not showing has no window yet";
    EXPECT_FALSE(edit->HandleAllocated());

    // The user clicks the second tab: the page and what is on it get their windows, showing.
    TRect tab{};
    SendMessageW(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
    SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(tab.left + 3, tab.top + 3));
    SendMessageW(tabs, WM_LBUTTONUP, 0, MAKELPARAM(tab.left + 3, tab.top + 3));
    ASSERT_EQ(pages->ActivePage(), sheets[1]);
    ASSERT_TRUE(edit->HandleAllocated());
    EXPECT_EQ(GetParent(edit->Handle()), sheets[1]->Handle());
    EXPECT_TRUE(GetWindowLongW(sheets[1]->Handle(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongW(edit->Handle(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongW(sheets[0]->Handle(), GWL_STYLE) & WS_VISIBLE);
    wchar_t text[32] = {};
    GetWindowTextW(edit->Handle(), text, 32);
    EXPECT_STREQ(text, L"ikinci sayfa") << "what was set before the window existed is in it";
    EXPECT_EQ(sheets[1]->BoundsRect(), pages->DisplayRect());
}

TEST_F(ControlsTest, OkButtonHasItsGlyphAndClicksOnce)
{
    auto* button = new TBitBtn(Form);
    button->SetParent(Form);
    button->SetBounds(10, 10, 97, 30);
    button->SetCaption(L"Tamam");
    button->SetKind(TBitBtnKind::bkOK);
    EXPECT_EQ(button->Caption(), L"Tamam") << "a chosen caption stays";
    EXPECT_EQ(button->ModalResult(), mrOk);
    auto* other = new TBitBtn(Form);
    other->SetKind(TBitBtnKind::bkOK);
    EXPECT_EQ(other->Caption(), L"OK") << "the kind's caption when none was chosen";

    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    SendMessageW(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1) << "one click, not one from the mouse and one from the button";

    TBitmap picture(97, 30);
    button->PaintButton(picture.Canvas(), Rect(0, 0, 97, 30), false, false);
    int green = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            if (picture.PixelAt(x, y) == RGBColor(0, 160, 0))
                ++green;
    EXPECT_GT(green, 20) << "the OK glyph (a green tick) left of the caption";
    EXPECT_EQ(picture.PixelAt(48, 2), ColorToRGB(clBtnFace));
}

TEST_F(ControlsTest, ImageSizesAndDrawsItsPicture)
{
    auto* image = new TImage(Form);
    image->SetParent(Form);
    image->SetBounds(10, 10, 96, 68);
    TBitmap picture(48, 17);
    picture.Canvas().Brush().SetColor(clFuchsia);
    picture.Canvas().FillRect(Rect(0, 0, 48, 17));
    picture.Canvas().Brush().SetColor(clNavy);
    picture.Canvas().FillRect(Rect(4, 4, 44, 13));
    image->Picture().LoadFromBytes(picture.SaveToBytes(), L"thumb.bmp");

    EXPECT_EQ(image->DestRect(), Rect(0, 0, 48, 17)) << "own size by default";
    image->SetStretch(true);
    EXPECT_EQ(image->DestRect(), Rect(0, 0, 96, 68));
    image->SetProportional(true);
    EXPECT_EQ(image->DestRect(), Rect(0, 0, 96, 34)) << "in proportion, as wide as the control";
    image->SetCenter(true);
    EXPECT_EQ(image->DestRect(), Rect(0, 17, 96, 51));
    image->SetTransparent(true);

    auto b = PaintForm();
    EXPECT_EQ(b->PixelAt(10 + 48, 10 + 34), clNavy) << "the picture, stretched";
    EXPECT_EQ(b->PixelAt(10 + 2, 10 + 20), ColorToRGB(clBtnFace)) << "its transparent colour is left out";

    int clicks = 0;
    image->OnClick = [&](TObject*) { ++clicks; };
    ClickAt(*Form, 50, 40);
    EXPECT_EQ(clicks, 1);

    image->SetAutoSize(true);
    EXPECT_EQ(image->Width(), 48);
    EXPECT_EQ(image->Height(), 17);
}

TEST_F(ControlsTest, CursorsByNumberAndScreenOverride)
{
    auto* label = new TLabel(Form);
    label->SetParent(Form);
    label->SetBounds(10, 10, 50, 20);
    label->SetAutoSize(false);
    label->SetCursor(crHandPoint);
    Form->Show();
    // The pointer moves and the window appears on the X server in their own time, and until
    // the server has caught up the system may still report the pointer where it was (Wine asks
    // the X server again when its own record is old). So the form is asked for its cursor until
    // it answers with the label's, with a generous limit; a form that never picks the label's
    // cursor fails, and the message says where the pointer was seen.
    const TPoint overLabel = Form->ClientToScreen(TPoint{20, 15});
    ASSERT_TRUE(testsupport::MoveCursorTo(overLabel.x, overLabel.y));
    POINT seen{};
    HCURSOR picked = nullptr;
    EXPECT_TRUE(PumpUntil([&] {
        SendMessageW(Form->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Form->Handle()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        picked = GetCursor();
        GetCursorPos(&seen);
        return WindowFromPoint(seen) == Form->Handle() && picked == Screen->Cursors(crHandPoint);
    })) << "the label's cursor over the label; pointer seen at " << seen.x << "," << seen.y << ", label at "
        << overLabel.x << "," << overLabel.y << ", cursor " << picked;

    HCURSOR own = CopyCursor(LoadCursorW(nullptr, IDC_CROSS));
    Screen->SetCursors(3000, own);
    EXPECT_EQ(Screen->Cursors(3000), own) << "a cursor registered under a fixed number";
    Screen->SetCursors(3000, nullptr);
    EXPECT_EQ(Screen->Cursors(3000), Screen->Cursors(crArrow)) << "unregistered numbers show the arrow";
    EXPECT_EQ(CursorToValue(crHandPoint).Str, L"crHandPoint");
    EXPECT_EQ(CursorFromValue(TValue::Integer(3006)), 3006);
    EXPECT_THROW(CursorFromValue(TValue::Ident(L"crPointyHand")), EConvertError);
}

TEST_F(ControlsTest, PopupMenuRunsItsLoopAndClicksTheChosenItem)
{
    auto* menu = new TPopupMenu(Form);
    const wchar_t* captions[] = {L"Listeyi sil", L"-", L"Çıkış"};
    std::vector<std::wstring> clicked;
    for (const wchar_t* caption : captions) {
        auto* item = new TMenuItem(Form);
        item->SetCaption(caption);
        item->OnClick = [&clicked, item](TObject*) { clicked.push_back(item->Caption()); };
        menu->Items()->Add(item);
    }
    menu->Items()->Items(2)->SetDefault(true);
    int popups = 0;
    menu->OnPopup = [&](TObject*) { ++popups; };
    menu->SetPopupComponent(Form);
    // Keys waiting in the queue are read by the menu's own loop. Something outside the test (a
    // focus change the X server reports late) may close the menu before it has read them all;
    // such a run shows nothing about the menu and is repeated, a few times at most. A run in
    // which the menu read every key press must show the expected outcome. Returns the runs.
    auto popupWithKeys = [&](std::initializer_list<WPARAM> keys) {
        int runs = 0;
        bool unread = true;
        while (unread && runs < 3) {
            for (WPARAM key : keys) {
                PostMessageW(Application->Handle(), WM_KEYDOWN, key, 0);
                PostMessageW(Application->Handle(), WM_KEYUP, key, 0xC0000000);
            }
            menu->Popup(100, 100);
            ++runs;
            unread = false;
            MSG left;
            while (PeekMessageW(&left, Application->Handle(), WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
                unread = unread || left.message == WM_KEYDOWN;
        }
        EXPECT_FALSE(unread) << "the menu never read the keys";
        return runs;
    };
    // Down twice skips the separator.
    int runs = popupWithKeys({VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(popups, runs);
    EXPECT_EQ(clicked, (std::vector<std::wstring>{L"Çıkış"})) << "the chosen item's Click runs after the menu closes";
    EXPECT_EQ(menu->PopupComponent(), Form);

    popupWithKeys({VK_ESCAPE});
    EXPECT_EQ(clicked.size(), 1u) << "a dismissed menu clicks nothing";
}

TEST(MessageDlg, GoesThroughTheReplaceableHandler)
{
    std::vector<std::wstring> shown;
    auto previous = SetMessageBoxHandler([&](const std::wstring& caption, const std::wstring& text, TMsgDlgType type,
                                              TMsgDlgButtons buttons) {
        shown.push_back(caption + L"|" + text);
        EXPECT_TRUE(buttons.Contains(TMsgDlgBtn::mbOK));
        return type == TMsgDlgType::mtWarning ? mrCancel : mrOk;
    });
    EXPECT_EQ(MessageDlg(L"B", TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK}), mrOk);
    EXPECT_EQ(MessageDlg(L"C", TMsgDlgType::mtWarning, {TMsgDlgBtn::mbOK}), mrCancel);
    SetMessageBoxHandler(previous);
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"Information|B", L"Warning|C"}));
}

namespace {

const wchar_t* const kDescription = LR"(object Form1: TForm
  Caption = 'Desc'
  Font.Name = 'MS Sans Serif'
  Font.Height = -11
  object PageControl1: TPageControl
    ActivePage = TabSheet2
    Align = alClient
    object TabSheet1: TTabSheet
      Caption = 'Test'
      object GroupBox2: TGroupBox
        Caption = '  Sinyaller   '
        Font.Name = 'Arial'
        Font.Height = -11
        Align = alLeft
        Width = 200
        object Label9: TLabel
          Left = 14
          Top = 53
          Caption = '--'
          Font.Name = 'Arial Narrow'
          Font.Height = -24
          Font.Style = [fsItalic]
          Font.Charset = TURKISH_CHARSET
          PopupMenu = PopupMenu1
        end
        object ProgressBar1: TProgressBar
          Left = 71
          Top = 40
          Width = 99
          Height = 13
          Max = 30
          Smooth = True
          Step = 1
        end
      end
      object Memo2: TMemo
        Lines = ('one' 'two' '')
        ReadOnly = True
        ScrollBars = ssVertical
        Align = alTop
        Height = 48
      end
    end
    object TabSheet2: TTabSheet
      Caption = 'Bağlantı Kılavuzu !'
      object Label21: TLabel
        Left = 89
        Top = 43
        Caption = 'Tek hatlı >'
        Font.Color = clBlue
        Font.Name = 'Verdana'
        Font.Height = -12
        Cursor = crHandPoint
      end
      object Image2: TImage
        Left = 382
        Top = 16
        Width = 96
        Height = 68
        Picture = file 'thumb.bmp'
        Proportional = True
        Stretch = True
        Transparent = True
        Cursor = crHandPoint
      end
      object BitBtn3: TBitBtn
        Left = 382
        Top = 331
        Width = 97
        Height = 30
        Caption = 'Tamam'
        Kind = bkOK
      end
    end
    object TabSheet3: TTabSheet
      Caption = 'Ayar'
      TabVisible = False
    end
  end
  object PopupMenu1: TPopupMenu
    object Listeyisil1: TMenuItem
      Caption = 'Listeyi sil'
    end
    object ki1: TMenuItem
      Caption = 'Çıkış'
      Default = True
    end
  end
end
)";

} // namespace

TEST_F(ControlsTest, DescriptionsCreateTheControlsAndWriteThemBack)
{
    RegisterStandardClasses();
    TBitmap thumb(96, 68);
    std::vector<uint8_t> thumbBytes = thumb.SaveToBytes();
    auto resolver = [&](const std::wstring& name, std::vector<uint8_t>& bytes) {
        if (name != L"thumb.bmp")
            return false;
        bytes = thumbBytes;
        return true;
    };
    std::vector<std::unique_ptr<TComponent>> owners;
    auto read = [&](const std::wstring& text) {
        owners.push_back(std::make_unique<TComponent>(nullptr));
        auto* form = new TForm(owners.back().get());
        ReadDescription(*form, text, L"test", resolver);
        return form;
    };
    TForm* form = read(kDescription);
    auto* pages = dynamic_cast<TPageControl*>(form->FindComponent(L"PageControl1"));
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->ActivePage()->Name(), L"TabSheet2") << "a page named before it is stored";
    EXPECT_EQ(pages->PageCount(), 3);
    EXPECT_FALSE(pages->Pages(2)->TabVisible());
    auto* label = dynamic_cast<TLabel*>(form->FindComponent(L"Label9"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Font()->Name(), L"Arial Narrow");
    EXPECT_EQ(label->Font()->Charset(), TURKISH_CHARSET);
    EXPECT_TRUE(label->Font()->Style().Contains(TFontStyle::fsItalic));
    ASSERT_NE(label->PopupMenu(), nullptr) << "a menu stored after the label is found";
    EXPECT_EQ(label->PopupMenu()->Name(), L"PopupMenu1");
    EXPECT_EQ(label->PopupMenu()->Items()->Count(), 2);
    EXPECT_TRUE(label->PopupMenu()->Items()->Items(1)->Default());
    auto* link = dynamic_cast<TLabel*>(form->FindComponent(L"Label21"));
    EXPECT_EQ(link->Font()->Color(), clBlue);
    EXPECT_EQ(link->Cursor(), crHandPoint);
    auto* memo = dynamic_cast<TMemo*>(form->FindComponent(L"Memo2"));
    EXPECT_EQ(memo->Lines().Count(), 3);
    EXPECT_EQ(memo->Lines()[2], L"");
    auto* bar = dynamic_cast<TProgressBar*>(form->FindComponent(L"ProgressBar1"));
    EXPECT_EQ(bar->Max(), 30);
    auto* image = dynamic_cast<TImage*>(form->FindComponent(L"Image2"));
    EXPECT_EQ(image->Picture().Width(), 96);
    auto* ok = dynamic_cast<TBitBtn*>(form->FindComponent(L"BitBtn3"));
    EXPECT_EQ(ok->Caption(), L"Tamam");
    EXPECT_EQ(ok->Kind(), TBitBtnKind::bkOK);

    std::wstring written = WriteDescription(*form);
    TForm* again = read(written);
    EXPECT_EQ(WriteDescription(*again), written) << "a written description reads back to the same";

    std::wstring broken = kDescription;
    broken.replace(broken.find(L"PopupMenu = PopupMenu1"), 22, L"PopupMenu = Nothing1");
    EXPECT_THROW(read(broken), Exception) << "a reference to a missing menu is an error";
}

TEST_F(ControlsTest, PaintingTenThousandTimesLeaksNothing)
{
    auto* box = new TGroupBox(Form);
    box->SetParent(Form);
    box->SetBounds(0, 0, 200, 150);
    box->SetCaption(L"Sinyaller");
    auto* label = new TLabel(Form);
    label->SetParent(Form);
    label->SetBounds(210, 10, 50, 20);
    label->SetCaption(L"Telefon 1");
    auto* image = new TImage(Form);
    image->SetParent(Form);
    image->SetBounds(210, 40, 96, 68);
    image->Picture().Bitmap().SetSize(48, 34);
    image->SetStretch(true);
    image->SetTransparent(true);
    auto* button = new TBitBtn(Form);
    button->SetParent(Form);
    button->SetKind(TBitBtnKind::bkOK);
    button->SetBounds(210, 120, 97, 30);
    auto* bar = new TProgressBar(Form);
    bar->SetParent(box);
    bar->SetBounds(10, 20, 99, 13);

    TBitmap target(Form->ClientWidth(), Form->ClientHeight());
    HDC dc = target.Canvas().Handle();
    auto paintAll = [&] {
        SendMessageW(Form->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        SendMessageW(box->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        RedrawWindow(button->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    };
    // The first paints create the objects that stay for the controls' lifetime, the canvas's
    // handles for both label fonts among them.
    paintAll();
    label->Font()->SetHeight(-12);
    paintAll();
    label->Font()->SetHeight(-11);
    paintAll();
    auto before = testsupport::TakeGdiSnapshot();
    for (int i = 0; i < 10000; ++i) {
        if (i % 1000 == 0)
            label->Font()->SetHeight(-11 - i / 1000 % 2); // a font change releases the old handle
        paintAll();
    }
    EXPECT_EQ(testsupport::GdiGrowth(before, testsupport::TakeGdiSnapshot()), "");
}

namespace {

WNDPROC BoxProc = nullptr;
int BoxErases = 0;

LRESULT CALLBACK CountingBoxProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ERASEBKGND)
        ++BoxErases;
    return CallWindowProcW(BoxProc, wnd, msg, wParam, lParam);
}

} // namespace

TEST_F(ControlsTest, ALabelInAGroupBoxRepaintsWithoutErasingAndLeavesNothingStale)
{
    // The call counter is such a label: it changes with every call, and the group box paints all
    // of its background itself, so erasing first would only cost a second device context.
    auto* box = Place<TGroupBox>(Form, 10, 10, 200, 80);
    auto* label = Place<TLabel>(box, 20, 30, 120, 16);
    label->SetText(L"12345678901234567890");
    Form->Show();
    UpdateWindow(Form->Handle());

    auto paintBox = [&](HRGN clip) {
        auto b = std::make_unique<TBitmap>(box->ClientWidth(), box->ClientHeight());
        HDC dc = b->Canvas().Handle();
        SelectClipRgn(dc, clip);
        SendMessageW(box->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        SelectClipRgn(dc, nullptr);
        GdiFlush();
        return b;
    };
    std::unique_ptr<TBitmap> before = paintBox(nullptr);

    BoxProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(box->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingBoxProc)));
    BoxErases = 0;
    label->SetText(L"7");
    HRGN pending = CreateRectRgn(0, 0, 0, 0);
    ASSERT_GT(GetUpdateRgn(box->Handle(), pending, FALSE), NULLREGION) << "the label's area is queued";
    UpdateWindow(box->Handle());
    EXPECT_EQ(BoxErases, 0) << "no erasing before the group box's own paint";
    SetWindowLongPtrW(box->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BoxProc));

    // The queued area painted over the old picture, with no erase, is the picture a full paint gives.
    HDC dc = before->Canvas().Handle();
    SelectClipRgn(dc, pending);
    SendMessageW(box->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    SelectClipRgn(dc, nullptr);
    GdiFlush();
    DeleteObject(pending);
    std::unique_ptr<TBitmap> full = paintBox(nullptr);
    for (int y = 0; y < full->Height(); ++y)
        for (int x = 0; x < full->Width(); ++x)
            ASSERT_EQ(before->PixelAt(x, y), full->PixelAt(x, y)) << "stale pixel at " << x << ", " << y;
}

// The focus our windows were told of answers what GetFocus answers, wherever the focus goes:
// between our windows, to a window of another kind inside ours, and away with a destroyed window.
// Windows of other kinds are never taken for controls, whatever they keep in their user data.
TEST_F(ControlsTest, TheFocusAndTheControlOfAWindowAreKnownWithoutAskingTheSystem)
{
    auto* first = Place<TEdit>(Form, 10, 10, 80, 21);
    auto* second = Place<TEdit>(Form, 10, 40, 80, 21);
    HWND foreign = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 70, 80, 21, Form->Handle(), nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(foreign, nullptr);
    SetWindowLongPtrW(foreign, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(first));
    EXPECT_EQ(TWinControl::FromHandle(foreign), nullptr);
    EXPECT_EQ(TWinControl::FromHandle(first->Handle()), first);
    Form->Show();

    auto expectFocus = [&](HWND where, const char* step) {
        EXPECT_EQ(GetFocus(), where) << step;
        EXPECT_EQ(FocusedWindow(), GetFocus()) << step;
        EXPECT_EQ(FocusWithin(Form->Handle()), where != nullptr) << step;
        EXPECT_EQ(FocusWithin(first->Handle()), where == first->Handle()) << step;
    };
    SetFocus(first->Handle());
    expectFocus(first->Handle(), "our edit");
    SetFocus(second->Handle());
    expectFocus(second->Handle(), "the other edit");
    SetFocus(foreign);
    expectFocus(foreign, "a window of another kind inside the form");
    SetFocus(first->Handle());
    DestroyWindow(foreign);
    delete second;
    expectFocus(first->Handle(), "after a window went");
    delete first;
    EXPECT_EQ(FocusedWindow(), GetFocus()) << "the focused control destroyed";
    EXPECT_FALSE(FocusWithin(nullptr));
    Form->Hide();
}
