// What a press and its release may do to a cell, driven by the mouse messages a user's hand
// sends: the check box behind the release gate, presses that end without their release, the
// second press of a double click, and the current cell after the rows under it went away.
#include "EditingTestSupport.h"

#include "grid/editors/CellEditors.h"
#include "grid/control/GridInput.h"
#include "tests/support/InputSupport.h"
#include "ui/controls/Forms.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace grid;
using namespace gridtest;
using testsupport::Click;
using testsupport::SendMouse;

namespace {

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

} // namespace

TEST(ReleaseGate, CheckBoxCellFlipsOnItsBoxOpensItsEditorBesideItAndIgnoresMarkingClicks)
{
    TEditingGrid g;
    HWND wnd = g.GridWnd();
    g.grid->SetOptions(g.grid->Options() + TGridOptions{TGridOption::goMultiSelect} +
                       TGridOptions{TGridOption::goSelectFullRow});
    POINT box0 = Centre(g.grid->CellRect(1, 0)), box1 = Centre(g.grid->CellRect(1, 1));

    Click(wnd, box0.x, box0.y);
    EXPECT_TRUE(g.grid->Cell(1, 0)->AsBoolean()) << "a click on the box flips it";
    EXPECT_FALSE(g.grid->EditorOpen()) << "and opens no editor";

    // Ctrl and Shift mark rows: their release does not act on the cell, and the box never
    // looks pressed while the button is down.
    SendMouse(wnd, WM_LBUTTONDOWN, box1.x, box1.y, MK_LBUTTON | MK_CONTROL);
    EXPECT_FALSE(g.grid->CheckBoxPressed(1, 1)) << "a Ctrl-press is the selection's";
    SendMouse(wnd, WM_LBUTTONUP, box1.x, box1.y, MK_CONTROL);
    Click(wnd, box0.x, box0.y, MK_SHIFT);
    EXPECT_FALSE(g.grid->Cell(1, 1)->AsBoolean()) << "a Ctrl-click marks the row, the box stays";
    EXPECT_TRUE(g.grid->Cell(1, 0)->AsBoolean()) << "a Shift-click marks rows, the box stays";
    EXPECT_TRUE(g.grid->RowSelected(0) && g.grid->RowSelected(1));
    EXPECT_FALSE(g.grid->EditorOpen());

    // Beside the box the cell's own editor opens.
    RECT cell = g.grid->CellRect(1, 2);
    Click(wnd, cell.left + 2, (cell.top + cell.bottom) / 2);
    EXPECT_TRUE(g.grid->EditorOpen()) << "a click in a check-box cell beside its box opens the cell's editor";
    EXPECT_NE(dynamic_cast<TCheckBoxEditor*>(g.grid->Editor()), nullptr);
    EXPECT_FALSE(g.grid->Cell(1, 2)->AsBoolean());
}

TEST(ReleaseGate, PressesEndedWithoutTheirReleaseLeaveNothingBehind)
{
    TEditingGrid g;
    HWND wnd = g.GridWnd();
    POINT box = Centre(g.grid->CellRect(1, 1));

    // The system takes the mouse mode away in the middle of a press on a box.
    SendMouse(wnd, WM_LBUTTONDOWN, box.x, box.y, MK_LBUTTON);
    ASSERT_TRUE(g.grid->CheckBoxPressed(1, 1));
    SendMessageW(wnd, WM_CANCELMODE, 0, 0);
    EXPECT_FALSE(g.grid->CheckBoxPressed(1, 1)) << "the box keeps no pressed look";
    SendMouse(wnd, WM_LBUTTONUP, box.x, box.y);
    EXPECT_FALSE(g.grid->Cell(1, 1)->AsBoolean()) << "a later release flips nothing";

    // Leaving the application in the middle of a header press, a sizing or a column drag.
    TCustomColumn* first = g.grid->Columns()->DisplayItems(0);
    first->SetOptions(first->Options() + TColumnOptions{TColumnOption::coCanClick});
    int headerClicks = 0;
    g.grid->OnHeaderClick = [&](ui::TObject*, int) { ++headerClicks; };
    auto leaveApplication = [] { SendMessageW(ui::Application->Handle(), WM_ACTIVATEAPP, FALSE, 0); };
    int y = g.grid->HeaderSize() / 2;
    int middle = first->Left() + first->Width() / 2;
    SendMouse(wnd, WM_LBUTTONDOWN, middle, y, MK_LBUTTON);
    ASSERT_EQ(g.grid->PressedHeader(), first->Index());
    leaveApplication();
    EXPECT_EQ(g.grid->PressedHeader(), -1) << "the header is no longer pressed";
    SendMouse(wnd, WM_LBUTTONUP, middle, y);
    EXPECT_EQ(headerClicks, 0) << "nor clicked by a release that comes back later";

    int edge = first->Left() + first->Width();
    int width = first->Width();
    SendMouse(wnd, WM_MOUSEMOVE, edge, y);
    SendMouse(wnd, WM_LBUTTONDOWN, edge, y, MK_LBUTTON);
    SendMouse(wnd, WM_MOUSEMOVE, edge + 40, y, MK_LBUTTON);
    ASSERT_EQ(g.grid->SizingColumn(), first->Index());
    ASSERT_EQ(g.grid->Cursor(), crHorzSplit);
    leaveApplication();
    EXPECT_EQ(g.grid->SizingColumn(), -1) << "the sizing ends";
    EXPECT_EQ(g.grid->Cursor(), ui::crDefault) << "and the cursor is put back";
    SendMouse(wnd, WM_LBUTTONUP, edge + 40, y);
    EXPECT_EQ(first->Width(), width) << "without applying a width";

    SendMouse(wnd, WM_LBUTTONDOWN, middle, y, MK_LBUTTON);
    SendMouse(wnd, WM_MOUSEMOVE, middle + 30, y, MK_LBUTTON);
    ASSERT_EQ(g.grid->DraggedColumn(), first->Index());
    leaveApplication();
    EXPECT_EQ(g.grid->DraggedColumn(), -1) << "the column drag ends";
    EXPECT_EQ(g.grid->Cursor(), ui::crDefault);
    EXPECT_EQ(GetCapture(), nullptr) << "nothing keeps the mouse";
}

TEST(ReleaseGate, TheSecondPressOfAnyDoubleClickIsLeftAlone)
{
    TInputGrid g(5);
    int presses = 0;
    g.grid->OnMouseDown = [&](ui::TObject*, ui::TMouseButton, ui::TShiftState, int, int) { ++presses; };
    POINT a = g.CellCenter(0, 1), b = g.CellCenter(0, 3);
    for (auto [down, dbl, up] : {std::tuple{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONUP},
                                 std::tuple{WM_RBUTTONDOWN, WM_RBUTTONDBLCLK, WM_RBUTTONUP}}) {
        presses = 0;
        SendMouse(g.Wnd(), down, a.x, a.y);
        SendMouse(g.Wnd(), up, a.x, a.y);
        SendMouse(g.Wnd(), dbl, b.x, b.y);
        SendMouse(g.Wnd(), up, b.x, b.y);
        EXPECT_EQ(g.grid->CurrentRow(), 1) << "message " << dbl << ": the second press moves nothing";
        EXPECT_EQ(presses, 1) << "message " << dbl << ": and raises no OnMouseDown";
    }
}

TEST(ReleaseGate, TheCurrentCellStaysOnRowsThatExist)
{
    TInputGrid g(6);
    std::vector<int> selected;
    g.grid->OnSelectCell = [&](ui::TObject*, int, int r) { selected.push_back(r); };
    POINT last = g.CellCenter(1, 5);
    Click(g.Wnd(), last.x, last.y);
    ASSERT_EQ(g.grid->CurrentRow(), 5);

    g.grid->DeleteRow(5);
    EXPECT_EQ(g.grid->CurrentRow(), 4) << "the last row went: the current row is the new last";
    EXPECT_TRUE(g.grid->RowSelected(4)) << "and it is the selected row";

    g.grid->ClearRows();
    EXPECT_EQ(g.grid->CurrentRow(), 0) << "an empty grid rests on row 0";
    g.grid->AddRows(1);
    selected.clear();
    testsupport::Key(g.Wnd(), VK_UP);
    EXPECT_EQ(g.grid->CurrentRow(), 0) << "Up from the only row goes nowhere";
    EXPECT_TRUE(selected.empty()) << "and selects no row that does not exist";
    EXPECT_EQ(g.grid->CurrentCol(), 1) << "the column stays";
}

TEST(ReleaseGate, AClickWhileAnEditorIsOpenCommitsItAndTheWheelLeavesItInPlace)
{
    TEditingGrid g;
    g.grid->AddRows(40);
    HWND wnd = g.GridWnd();
    POINT first = Centre(g.grid->CellRect(0, 0)), second = Centre(g.grid->CellRect(0, 1));
    Click(wnd, first.x, first.y);
    ASSERT_TRUE(g.grid->EditorOpen());
    HWND editor = g.grid->Editor()->Handle();
    TypeText(editor, L"yeni");

    // The wheel turned over the open editor goes to the grid, which leaves it alone.
    POINT screen = first;
    ClientToScreen(wnd, &screen);
    SendMessageW(editor, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(screen.x, screen.y));
    SendMessageW(wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(g.grid->VertScrollBar()->Position(), 0) << "nothing scrolls under an open cell editor";
    EXPECT_TRUE(g.grid->EditorOpen());

    Click(wnd, second.x, second.y);
    EXPECT_EQ(N(g.grid->GetCellText(0, 0)), "yeni") << "the press commits the open editor";
    EXPECT_TRUE(g.grid->EditorOpen()) << "and the release opens the clicked cell's";
    EXPECT_EQ(g.grid->EditRow(), 1);
}
