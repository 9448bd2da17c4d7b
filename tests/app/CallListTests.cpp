// The call list on the "Test" page, driven by calls that the simulated device control raises
// through its event interface: the rows of the grid, the counter, the beep and the balloon
// (both recorded through their seams), and untrusted input from the device.
#include "app/Program.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "grid/data/ColumnClasses.h"
#include "grid/popups/ColumnDragBox.h"
#include "grid/control/GridView.h"
#include "tray/TrayIcon.h"
#include "ui/controls/Dialogs.h"

#include "tests/device/SimHelpers.h"
#include "tests/support/InputSupport.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace ui;
using testsupport::Narrow;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

// One record the tray icon sent to the shell.
struct TShellCall {
    DWORD Message;
    tray::TTrayIconData Data;
};

std::vector<TShellCall> ShellCalls;
std::vector<std::pair<unsigned, unsigned>> Beeps;

const std::vector<std::wstring> kNoticeLines = {L"Cihaz ile ilgili başka program çalışıyorsa lütfen sonlandırınız.",
                                                L"Aynı anda, 1 uygulama cihaza  bağlantı sağlayabilir."};

class CallList : public testsupport::TProgramWindows {
protected:
    static void SetUpTestSuite()
    {
        StartProgram([](DWORD message, const tray::TTrayIconData& data) {
            ShellCalls.push_back({message, data});
            return true;
        }, [](unsigned frequency, unsigned duration) { Beeps.push_back({frequency, duration}); });
    }
    static void TearDownTestSuite() { StopProgram(); }

    void SetUp() override
    {
        TProgramWindows::SetUp();
        ASSERT_EQ(Grid()->RowCount(), 0);
        ShellCalls.clear();
        Beeps.clear();
        FailOnMessageBoxes();
    }

    static grid::TGridView* Grid() { return Form1->GridView1; }
    // Raises OnCallerID from the device control, as a call on the line would.
    void Call(const std::wstring& device, const std::wstring& line, const std::wstring& number,
              const std::wstring& time, const std::wstring& other = L"")
    {
        ASSERT_EQ(S_OK, simtest::RaiseStrings(Sim.Get(), DISPID_Dalvex_OnCallerID, {device, line, number, time, other}));
    }
    // The row's cells from left to right on screen (columns in display order).
    static std::vector<std::wstring> RowOnScreen(int row)
    {
        std::vector<std::wstring> cells(5);
        for (int i = 0; i < 5; ++i)
            cells[Grid()->Columns()->Items(i)->Position()] = Grid()->Cell(i, row)->AsString();
        return cells;
    }
    static std::vector<std::wstring> CallNumbers()
    {
        std::vector<std::wstring> numbers;
        for (int r = 0; r < Grid()->RowCount(); ++r)
            numbers.push_back(Grid()->Cell(2, r)->AsString());
        return numbers;
    }
    // The balloons the shell was asked to show (records with balloon text).
    static std::vector<tray::TTrayIconData> Balloons()
    {
        std::vector<tray::TTrayIconData> balloons;
        for (const TShellCall& c : ShellCalls)
            if (c.Message == NIM_MODIFY && (c.Data.Flags & NIF_INFO) != 0 && c.Data.Info[0] != 0)
                balloons.push_back(c.Data);
        return balloons;
    }

};

} // namespace

TEST_F(CallList, TheGridCarriesItsSettingsAndFiveColumns)
{
    grid::TGridView* g = Grid();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Align(), TAlign::alTop);
    EXPECT_EQ(g->Left(), 2);
    EXPECT_EQ(g->Top(), 15);
    EXPECT_EQ(g->Height(), 170);
    EXPECT_EQ(Form1->Memo2->Top(), 185) << "the notice box right under the grid";
    EXPECT_EQ(g->BorderStyle(), grid::TGridBorderStyle::bsSingle);
    EXPECT_EQ(g->GridStyle(), grid::TGridStyle::gsReport);
    EXPECT_EQ(g->GridLinesStyle(), grid::TGridLinesStyle::lsNormal);
    EXPECT_EQ(g->HeaderStyle(), grid::THeaderStyle::hsAuto);
    EXPECT_EQ(g->SelectionMoveDirection(), grid::TSelectionMoveDirection::mdNone);
    EXPECT_EQ(g->HeaderSize(), 20);
    EXPECT_EQ(g->RowSize(), 20);
    EXPECT_EQ(g->InputSize(), 12);
    EXPECT_EQ(g->SlideSize(), 60);
    EXPECT_TRUE(g->HideScrollBar());
    EXPECT_TRUE(g->ShowHint());
    EXPECT_TRUE(g->TabStop());
    EXPECT_FALSE(g->WantReturns());
    EXPECT_FALSE(g->ParentColor());
    EXPECT_EQ(g->Options(), (grid::TGridOptions{grid::TGridOption::goDissableColumnMoving, grid::TGridOption::goGrid,
                                                grid::TGridOption::goHeader}));

    ASSERT_EQ(g->Columns()->Count(), 5);
    const wchar_t* captions[] = {L"Saat", L"Cihaz seri no.", L"Çağrı sıra no", L"Hat no.", L"Arayan numara"};
    const int widths[] = {99, 120, 104, 71, 132};
    const int positions[] = {2, 3, 4, 0, 1};
    for (int i = 0; i < 5; ++i) {
        grid::TCustomColumn* c = g->Columns()->Items(i);
        EXPECT_NE(dynamic_cast<grid::TTextualColumn*>(c), nullptr) << i;
        EXPECT_EQ(c->Header()->Caption(), captions[i]) << i;
        EXPECT_EQ(c->DefaultWidth(), widths[i]) << i;
        EXPECT_EQ(c->Position(), positions[i]) << i;
        EXPECT_EQ(c->Alignment(), grid::TAlignment::taCenter) << i;
        EXPECT_EQ(c->VerticalAlignment(), grid::TVerticalAlignment::vaMiddle) << i;
        EXPECT_EQ(c->WrapKind(), grid::TWrapKind::wkEllipsis) << i;
        EXPECT_EQ(c->Header()->Color(), clBtnFace) << i;
        EXPECT_EQ(c->Header()->DisplayMode(), grid::TDisplayMode::dmTextOnly) << i;
        EXPECT_EQ(c->Footer()->Color(), clWindow) << i;
        EXPECT_EQ(c->Color(), clWindow) << i;
        EXPECT_EQ(c->Font()->Name(), L"MS Sans Serif") << i;
        EXPECT_EQ(c->Font()->Height(), -11) << i;
        EXPECT_EQ(c->SortType(), grid::TSortType::stAlphabetic) << i;
        EXPECT_FALSE(c->Sorted()) << i;
        EXPECT_EQ(c->SortKind(), i == 3 ? grid::TSortKind::skDescending : grid::TSortKind::skAscending) << i;
        EXPECT_EQ(c->Options(), (grid::TColumnOptions{grid::TColumnOption::coAutoSize, grid::TColumnOption::coCanInput,
                                                      grid::TColumnOption::coDontHighlight,
                                                      grid::TColumnOption::coPublicUsing}))
            << i;
    }
}

TEST_F(CallList, TheFirstCallFillsRowZeroCountsBeepsAndRaisesTheBalloon)
{
    Call(L"10004711", L"2", L"05321234567", L"08.12 10:15:00", L"other");
    ASSERT_EQ(Grid()->RowCount(), 1);
    EXPECT_EQ(RowOnScreen(0),
              (std::vector<std::wstring>{L"2", L"05321234567", L"08.12 10:15:00", L"10004711", L"1"}));
    EXPECT_EQ(Form1->CallCounter, 1);
    EXPECT_EQ(Form1->Label5->Caption(), L"1");
    EXPECT_EQ(Beeps, (std::vector<std::pair<unsigned, unsigned>>{{1000u, 100u}}));

    std::vector<tray::TTrayIconData> balloons = Balloons();
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_STREQ(balloons[0].InfoTitle, "\xC7" "a\xF0r\xFD: 1") << "\"Çağrı: 1\" in code page 1254";
    EXPECT_STREQ(balloons[0].Info, "05321234567");
    EXPECT_EQ(balloons[0].InfoFlags, 1u) << "the information icon";
    EXPECT_EQ(balloons[0].Timeout, 10000u);
    EXPECT_EQ(Form1->TrayIcon1->IconData().Flags, 7u) << "the icon's flags are back to normal afterwards";
}

TEST_F(CallList, TheSeventhCallDropsTheOldestAndListeyiSilStartsAgainAtOne)
{
    for (int i = 1; i <= 6; ++i)
        Call(L"D", std::to_wstring(i % 4 + 1), L"555000" + std::to_wstring(i), L"t" + std::to_wstring(i));
    EXPECT_EQ(CallNumbers(), (std::vector<std::wstring>{L"1", L"2", L"3", L"4", L"5", L"6"}));
    Call(L"D", L"1", L"5550007", L"t7");
    EXPECT_EQ(CallNumbers(), (std::vector<std::wstring>{L"2", L"3", L"4", L"5", L"6", L"7"})) << "newest at the bottom";
    EXPECT_EQ(Grid()->Cell(4, 5)->AsString(), L"5550007");
    EXPECT_EQ(Grid()->Cell(0, 0)->AsString(), L"t2");
    EXPECT_EQ(Form1->Label5->Caption(), L"7");
    EXPECT_EQ(Beeps.size(), 7u);
    EXPECT_EQ(Balloons().size(), 7u);

    Form1->Memo2->Lines().Add(L"10:00:00:an error");
    auto* item = dynamic_cast<TMenuItem*>(Form1->FindComponent(L"Listeyisil1"));
    ASSERT_NE(item, nullptr);
    item->Click();
    EXPECT_EQ(Grid()->RowCount(), 0);
    EXPECT_EQ(Grid()->Columns()->Count(), 5) << "the columns stay";
    EXPECT_EQ(Form1->Label5->Caption(), L"0");
    EXPECT_EQ(Form1->Memo2->LinesList(), kNoticeLines);
    Call(L"D", L"3", L"5550008", L"t8");
    ASSERT_EQ(Grid()->RowCount(), 1);
    EXPECT_EQ(Grid()->Cell(2, 0)->AsString(), L"1");
    EXPECT_EQ(Form1->Label5->Caption(), L"1");
}

TEST_F(CallList, UntrustedTextIsStoredAsTheListShowsIt)
{
    // A caller number outside code page 1254: the default character, in the cell and the
    // balloon alike; the other texts are stored as delivered.
    const std::wstring outside = L"0532\u4E2D77";
    const std::wstring wide = L"\u4E2D";
    Call(L"S" + wide, L"L" + wide, outside, L"T" + wide, L"OTHER-TEXT-MARK");
    EXPECT_EQ(Grid()->Cell(4, 0)->AsString(), L"0532?77");
    EXPECT_EQ(Grid()->Cell(1, 0)->AsString(), L"S" + wide);
    EXPECT_EQ(Grid()->Cell(3, 0)->AsString(), L"L" + wide);
    EXPECT_EQ(Grid()->Cell(0, 0)->AsString(), L"T" + wide);
    ASSERT_EQ(Balloons().size(), 1u);
    EXPECT_STREQ(Balloons()[0].Info, "0532?77");
    // The other text shows nowhere.
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(Grid()->Cell(c, 0)->AsString().find(L"OTHER"), std::wstring::npos) << c;
    EXPECT_EQ(std::string(Balloons()[0].InfoTitle).find("OTHER"), std::string::npos);

    // Empty texts give empty cells and an empty balloon text; the call still counts.
    ShellCalls.clear();
    Call(L"", L"", L"", L"", L"");
    ASSERT_EQ(Grid()->RowCount(), 2);
    EXPECT_EQ(RowOnScreen(1), (std::vector<std::wstring>{L"", L"", L"", L"", L"2"}));
    bool emptyBalloon = false;
    for (const TShellCall& c : ShellCalls)
        if ((c.Data.Flags & NIF_INFO) != 0 && std::string(c.Data.InfoTitle) == "\xC7" "a\xF0r\xFD: 2")
            emptyBalloon = c.Data.Info[0] == 0;
    EXPECT_TRUE(emptyBalloon) << "the balloon for call 2 was sent with an empty text";

    // Very long texts are kept whole in the grid; the balloon takes what fits.
    const std::wstring longNumber(100000, L'9');
    Call(longNumber, L"1", longNumber, longNumber);
    EXPECT_EQ(Grid()->Cell(4, 2)->AsString(), longNumber);
    EXPECT_EQ(Grid()->Cell(1, 2)->AsString(), longNumber);
    EXPECT_EQ(std::string(Balloons().back().Info), std::string(255, '9'));
    EXPECT_EQ(Form1->Label5->Caption(), L"3");
}

TEST_F(CallList, TheCellWritesRaiseNoChangeAndTheRowIsPaintedAfterTheHandler)
{
    int changes = 0;
    Grid()->OnChange = [&](TObject*, int, int) { ++changes; };
    PumpFor(50);
    HWND wnd = Grid()->Handle();
    ValidateRect(wnd, nullptr);
    Call(L"D", L"1", L"5551234", L"t");
    EXPECT_EQ(changes, 0) << "the five writes are bracketed by BeginUpdate and EndUpdate";
    RECT pending{};
    EXPECT_TRUE(GetUpdateRect(wnd, &pending, FALSE)) << "the new row waits for the loop's repaint";
    EXPECT_TRUE(PumpUntil([&] { return !GetUpdateRect(wnd, &pending, FALSE); })) << "and the loop painted it";
    // A write after the call, outside an update, raises the change again.
    Grid()->Cell(0, 0)->SetAsString(L"x");
    EXPECT_EQ(changes, 1);
    Grid()->OnChange = nullptr;
}

TEST_F(CallList, ACallWhileWaitingIsListedAndAnUnpluggedDeviceEmptiesTheList)
{
    Form1->Timer1Timer(Form1->Timer1);
    ASSERT_EQ(Form1->Label9->Caption(), L"Bağlantı bekleniyor");
    Call(L"D", L"1", L"1", L"t");
    EXPECT_EQ(Grid()->RowCount(), 1) << "the handler does not look at the connection state";

    TBStr model(L"DLX-4"), serial(L"10004711");
    ASSERT_EQ(S_OK, Sim->SimSetDevice(TRUE, model.Get(), serial.Get()));
    Form1->Timer1Timer(Form1->Timer1);
    Call(L"D", L"2", L"2", L"t");
    Call(L"D", L"3", L"3", L"t");
    ASSERT_EQ(Grid()->RowCount(), 3);
    ASSERT_EQ(S_OK, Sim->SimSetDevice(FALSE, nullptr, nullptr));
    Form1->Timer1Timer(Form1->Timer1);
    EXPECT_EQ(Grid()->RowCount(), 0);
    EXPECT_EQ(Form1->Label5->Caption(), L"0");
    EXPECT_EQ(Form1->Label9->Caption(), L"Bağlantı bekleniyor");
    EXPECT_EQ(Form1->Memo2->LinesList(), kNoticeLines);
    Call(L"D", L"4", L"4", L"t");
    Form1->Timer1Timer(Form1->Timer1);
    EXPECT_EQ(Grid()->RowCount(), 1) << "later polls reset nothing more";
    EXPECT_EQ(Form1->Label5->Caption(), L"1");
}

TEST_F(CallList, TheCounterOverflowEndsThatCallWithItsRowLeftEmpty)
{
    Call(L"D", L"1", L"111", L"t");
    Form1->CallCounter = INT_MAX;
    Beeps.clear();
    ShellCalls.clear();
    Call(L"D", L"2", L"222", L"t");
    ASSERT_EQ(Grid()->RowCount(), 2) << "the row was appended before the counter failed";
    EXPECT_EQ(RowOnScreen(1), (std::vector<std::wstring>(5, L""))) << "and stays empty";
    EXPECT_EQ(RowOnScreen(0)[1], L"111") << "the earlier row is untouched";
    EXPECT_EQ(Form1->CallCounter, INT_MAX) << "the counter is not wrapped round";
    EXPECT_EQ(Form1->Label5->Caption(), L"1");
    EXPECT_TRUE(Beeps.empty());
    EXPECT_TRUE(Balloons().empty());
    std::vector<std::wstring> lines = Form1->Memo2->LinesList();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find(L":" + EIntOverflow().Message()), std::wstring::npos) << Narrow(lines[1]);

    // The grid is not left updating: a later write repaints and notifies again.
    int changes = 0;
    Grid()->OnChange = [&](TObject*, int, int) { ++changes; };
    Grid()->Cell(0, 0)->SetAsString(L"x");
    EXPECT_EQ(changes, 1);
    Grid()->OnChange = nullptr;
}

TEST_F(CallList, AUserClicksACallRowAndMovesWithTheArrowsButNeverDragsAColumn)
{
    for (int i = 0; i < 3; ++i)
        Call(L"D", L"1", L"555000" + std::to_wstring(i), L"t" + std::to_wstring(i));
    grid::TGridView* g = Grid();
    ASSERT_TRUE(g->HandleAllocated() && IsWindowVisible(g->Handle())) << "the grid shows on the first page";
    SetForegroundWindow(Form1->Handle());
    HWND w = g->Handle();
    grid::TCustomColumn* second = g->Columns()->DisplayItems(1);
    ui::TRect cell = g->CellRect(second->Index(), 1);
    testsupport::Click(w, (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    EXPECT_EQ(g->CurrentRow(), 1);
    EXPECT_EQ(g->CurrentCol(), second->Index());
    EXPECT_TRUE(g->Focused()) << "the click gives the grid the keyboard";
    testsupport::Key(w, VK_DOWN);
    EXPECT_EQ(g->CurrentRow(), 2);
    testsupport::Key(w, VK_DOWN);
    EXPECT_EQ(g->CurrentRow(), 2) << "the last call is the end";
    testsupport::Key(w, VK_UP);
    testsupport::Key(w, VK_LEFT);
    EXPECT_EQ(g->CurrentRow(), 1);
    EXPECT_EQ(g->CurrentCol(), g->Columns()->DisplayItems(0)->Index());
    EXPECT_EQ(g->RowCount(), 3) << "Enter and keys change no data";

    // A header pressed and dragged far stays where it is (goDissableColumnMoving).
    grid::TCustomColumn* first = g->Columns()->DisplayItems(0);
    int x = first->Left() + first->Width() / 2, y = g->HeaderSize() / 2;
    testsupport::SendMouse(w, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    testsupport::SendMouse(w, WM_MOUSEMOVE, x + 120, y, MK_LBUTTON);
    EXPECT_EQ(g->DraggedColumn(), -1);
    EXPECT_NE(GetCapture(), g->DragBox()->Handle());
    testsupport::SendMouse(w, WM_LBUTTONUP, x + 120, y);
    EXPECT_EQ(first->Position(), 0) << "no column moved";
}
