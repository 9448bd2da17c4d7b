// The grid driven by real mouse and key messages: clicks, keys, marking, headers, sizing, the
// wheel, incremental search, hot tracking and the text-fit hint.
#include "GridTestSupport.h"

#include "grid/control/GridInput.h"
#include "grid/popups/ControlsCommon.h"
#include "tests/support/InputSupport.h"
#include "ui/controls/ExtCtrls.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace grid;
using gridtest::TInputGrid;
using testsupport::Char;
using testsupport::Click;
using testsupport::Key;
using testsupport::SendMouse;
using testsupport::THeldKeys;

namespace {

using TCellList = std::vector<std::pair<int, int>>;

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

std::vector<int> MarkedRows(TGridView* grid)
{
    std::vector<int> rows;
    for (int r = 0; r < grid->RowCount(); ++r)
        if (grid->RowSelected(r))
            rows.push_back(r);
    return rows;
}

} // namespace

TEST(GridMouse, ClickMovesTheCurrentCellAndReportsOnlyAClickOnOneCell)
{
    TInputGrid g(5);
    TCellList selected, clicked;
    g.grid->OnSelectCell = [&](ui::TObject*, int c, int r) { selected.push_back({c, r}); };
    g.grid->OnCellClick = [&](ui::TObject*, int c, int r) { clicked.push_back({c, r}); };
    HWND other = g.host->Handle();
    SetFocus(other);
    POINT p = g.CellCenter(1, 2);
    Click(g.Wnd(), p.x, p.y);
    EXPECT_EQ(g.grid->CurrentCol(), 1);
    EXPECT_EQ(g.grid->CurrentRow(), 2);
    EXPECT_TRUE(g.grid->Focused()) << "a press focuses the grid";
    EXPECT_EQ(selected, (TCellList{{1, 2}}));
    EXPECT_EQ(clicked, (TCellList{{1, 2}}));

    // Pressed on one cell, released on another: the press moves the cell, no click is reported.
    POINT a = g.CellCenter(0, 0), b = g.CellCenter(0, 1);
    SendMouse(g.Wnd(), WM_LBUTTONDOWN, a.x, a.y, MK_LBUTTON);
    SendMouse(g.Wnd(), WM_LBUTTONUP, b.x, b.y);
    EXPECT_EQ(g.grid->CurrentRow(), 0);
    EXPECT_EQ(clicked.size(), 1u) << "no OnCellClick for a release on another cell";

    // Below the last row nothing becomes current and nothing is clicked.
    POINT below = g.CellCenter(0, 6);
    Click(g.Wnd(), below.x, below.y);
    EXPECT_EQ(g.grid->CurrentRow(), 0);
    EXPECT_EQ(clicked.size(), 1u);

    // A right press and release on one cell move the cell and report a click as well.
    POINT c = g.CellCenter(2, 3);
    SendMouse(g.Wnd(), WM_RBUTTONDOWN, c.x, c.y, MK_RBUTTON);
    SendMouse(g.Wnd(), WM_RBUTTONUP, c.x, c.y);
    EXPECT_EQ(g.grid->CurrentRow(), 3);
    EXPECT_EQ(clicked.size(), 2u) << "OnCellClick follows any press and release on one cell";
}

TEST(GridMouse, IndicatorSelectsTheRowInTheCurrentColumn)
{
    TInputGrid g(5);
    g.grid->SetOptions(g.grid->Options() + TGridOptions{TGridOption::goIndicator});
    g.grid->SetCurrentCell(3, 0);
    Click(g.Wnd(), 4, g.CellCenter(3, 4).y);
    EXPECT_EQ(g.grid->CurrentCol(), 3);
    EXPECT_EQ(g.grid->CurrentRow(), 4);
    SendMouse(g.Wnd(), WM_MOUSEMOVE, 4, g.CellCenter(3, 2).y);
    EXPECT_EQ(g.grid->Cursor(), crIndicatorSelect);
    Click(g.Wnd(), 4, g.CellCenter(3, 9).y);
    EXPECT_EQ(g.grid->CurrentRow(), 4) << "a row beyond the rows is not selected";
}

TEST(GridMouse, DoubleClickCountsOnlyOverTheData)
{
    TInputGrid g(3);
    int doubles = 0;
    g.grid->OnDblClick = [&](ui::TObject*) { ++doubles; };
    POINT header = g.HeaderCenter(0), cell = g.CellCenter(0, 1);
    SendMouse(g.Wnd(), WM_LBUTTONDBLCLK, header.x, header.y, MK_LBUTTON);
    SendMouse(g.Wnd(), WM_LBUTTONUP, header.x, header.y);
    EXPECT_EQ(doubles, 0) << "not on a header";
    g.grid->SetCurrentCell(0, 0);
    SendMouse(g.Wnd(), WM_LBUTTONDBLCLK, cell.x, cell.y, MK_LBUTTON);
    SendMouse(g.Wnd(), WM_LBUTTONUP, cell.x, cell.y);
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(g.grid->CurrentRow(), 0) << "the second press of a double click does not move the cell";
}

TEST(GridMouse, CtrlAndShiftMarkRowsWithFullRowMultiSelect)
{
    TInputGrid g(8);
    g.grid->SetOptions(g.grid->Options() + TGridOptions{TGridOption::goMultiSelect} + TGridOptions{TGridOption::goSelectFullRow});
    TCellList selected;
    g.grid->OnSelectCell = [&](ui::TObject*, int c, int r) { selected.push_back({c, r}); };
    POINT p1 = g.CellCenter(0, 1), p3 = g.CellCenter(0, 3), p5 = g.CellCenter(0, 5);
    Click(g.Wnd(), p1.x, p1.y);
    Click(g.Wnd(), p3.x, p3.y, MK_CONTROL);
    EXPECT_EQ(MarkedRows(g.grid), (std::vector<int>{1, 3}));
    Click(g.Wnd(), p5.x, p5.y, MK_SHIFT);
    EXPECT_EQ(MarkedRows(g.grid), (std::vector<int>{3, 4, 5})) << "Shift marks from the anchor (the Ctrl row)";
    {
        THeldKeys shift({VK_SHIFT});
        Key(g.Wnd(), VK_DOWN);
    }
    EXPECT_EQ(MarkedRows(g.grid), (std::vector<int>{3, 4, 5, 6})) << "Shift+Down extends the range";
    Click(g.Wnd(), p3.x, p3.y, MK_CONTROL);
    EXPECT_EQ(MarkedRows(g.grid), (std::vector<int>{4, 5, 6})) << "Ctrl toggles a row";
    SendMouse(g.Wnd(), WM_RBUTTONDOWN, p1.x, p1.y, MK_RBUTTON);
    SendMouse(g.Wnd(), WM_RBUTTONUP, p1.x, p1.y);
    EXPECT_EQ(MarkedRows(g.grid), (std::vector<int>{4, 5, 6})) << "a right press keeps a multi-row selection";
    Click(g.Wnd(), p1.x, p1.y);
    EXPECT_EQ(MarkedRows(g.grid), (std::vector<int>{1})) << "a plain click starts again";
    EXPECT_EQ(selected.size(), 6u) << "OnSelectCell for every click and key that moved";
}

TEST(GridMouse, HeaderPressClickAndSort)
{
    TInputGrid g(4);
    const wchar_t* values[] = {L"c", L"a", L"d", L"b"};
    for (int r = 0; r < 4; ++r)
        g.grid->SetCellText(0, r, values[r]);
    TCustomColumn* c0 = g.grid->Columns()->Items(0);
    TCustomColumn* c1 = g.grid->Columns()->Items(1);
    c0->SetOptions(c0->Options() + TColumnOptions{TColumnOption::coCanClick} + TColumnOptions{TColumnOption::coCanSort});
    c1->SetOptions(c1->Options() + TColumnOptions{TColumnOption::coCanClick} + TColumnOptions{TColumnOption::coCanSort});
    std::vector<int> headerClicks;
    std::vector<std::pair<int, bool>> sorts;
    g.grid->OnHeaderClick = [&](ui::TObject*, int c) { headerClicks.push_back(c); };
    g.grid->OnSortColumn = [&](ui::TObject*, int c, bool asc) { sorts.push_back({c, asc}); };

    POINT h = g.HeaderCenter(0);
    g.Settle();
    SendMouse(g.Wnd(), WM_LBUTTONDOWN, h.x, h.y, MK_LBUTTON);
    EXPECT_EQ(g.grid->PressedHeader(), 0);
    RECT pending = gridtest::PendingUpdate(g.Wnd());
    EXPECT_FALSE(Empty(pending)) << "the pressed header repaints";
    EXPECT_LE(pending.bottom, g.grid->HeaderSize()) << "only the header";
    SendMouse(g.Wnd(), WM_LBUTTONUP, h.x, h.y);
    EXPECT_EQ(g.grid->PressedHeader(), -1);
    EXPECT_EQ(headerClicks, (std::vector<int>{0}));
    EXPECT_TRUE(c0->Sorted());
    EXPECT_EQ(g.grid->GetCellText(0, 0), L"a");
    Click(g.Wnd(), h.x, h.y);
    EXPECT_EQ(c0->SortKind(), TSortKind::skDescending) << "the sorted column flips";
    EXPECT_EQ(g.grid->GetCellText(0, 0), L"d");
    Click(g.Wnd(), h.x, h.y);
    EXPECT_EQ(c0->SortKind(), TSortKind::skAscending);
    POINT h1 = g.HeaderCenter(1);
    Click(g.Wnd(), h1.x, h1.y);
    EXPECT_TRUE(c1->Sorted());
    EXPECT_FALSE(c0->Sorted()) << "another column takes the sort";
    ASSERT_EQ(sorts.size(), 4u);
    EXPECT_EQ(sorts[1], std::make_pair(0, false));
    EXPECT_EQ(sorts[3].first, 1);

    // Without coCanClick a header neither presses nor reports; without coCanSort it does not sort.
    TCustomColumn* c2 = g.grid->Columns()->Items(2);
    POINT h2 = g.HeaderCenter(2);
    SendMouse(g.Wnd(), WM_LBUTTONDOWN, h2.x, h2.y, MK_LBUTTON);
    EXPECT_EQ(g.grid->PressedHeader(), -1);
    SendMouse(g.Wnd(), WM_LBUTTONUP, h2.x, h2.y);
    EXPECT_EQ(headerClicks.size(), 4u);
    EXPECT_FALSE(c2->Sorted());
}

TEST(GridMouse, SizingAnEdgeKeepsTheMinimumAndHonoursFixedSize)
{
    TInputGrid g(3);
    TCustomColumn* first = g.grid->Columns()->DisplayItems(0);
    int col = first->Index();
    int edge = g.RightEdge(col);
    SendMouse(g.Wnd(), WM_MOUSEMOVE, edge + 2, 5);
    EXPECT_EQ(g.grid->Cursor(), crHorzSplit) << "over a sizable edge";
    SendMouse(g.Wnd(), WM_MOUSEMOVE, edge - 10, 5);
    EXPECT_EQ(g.grid->Cursor(), ui::crDefault);

    UpdateWindow(g.Wnd());
    HDC dc = GetDC(g.Wnd());
    int probeY = g.grid->ClientHeight() - 3; // below the rows: the grid's white
    COLORREF before = GetPixel(dc, edge + 29, probeY);
    SendMouse(g.Wnd(), WM_LBUTTONDOWN, edge - 2, 5, MK_LBUTTON);
    EXPECT_EQ(g.grid->SizingColumn(), col) << "2 pixels left of the edge starts sizing";
    SendMouse(g.Wnd(), WM_MOUSEMOVE, edge + 30, 50, MK_LBUTTON);
    EXPECT_EQ(g.grid->SizingChange(), 30);
    EXPECT_EQ(GetPixel(dc, edge + 29, probeY), before ^ 0xFFFFFF) << "the guide line is inverted at the new edge";
    ReleaseDC(g.Wnd(), dc);
    SendMouse(g.Wnd(), WM_MOUSEMOVE, first->Left() - 40, 50, MK_LBUTTON);
    EXPECT_EQ(g.grid->SizingChange(), 8 - first->Width()) << "never narrower than 8";
    SendMouse(g.Wnd(), WM_LBUTTONUP, first->Left() - 40, 50);
    EXPECT_EQ(g.grid->SizingColumn(), -1);
    EXPECT_EQ(first->Width(), 8);

    int widthBefore = first->Width();
    SendMouse(g.Wnd(), WM_LBUTTONDOWN, g.RightEdge(col), 5, MK_LBUTTON);
    SendMouse(g.Wnd(), WM_MOUSEMOVE, g.RightEdge(col) + 50, 5, MK_LBUTTON);
    Key(g.Wnd(), VK_ESCAPE);
    EXPECT_EQ(g.grid->SizingColumn(), -1) << "Escape gives the sizing up";
    SendMouse(g.Wnd(), WM_LBUTTONUP, g.RightEdge(col) + 50, 5);
    EXPECT_EQ(first->Width(), widthBefore) << "nothing applied after Escape";

    first->SetOptions(first->Options() + TColumnOptions{TColumnOption::coFixedSize});
    SendMouse(g.Wnd(), WM_LBUTTONDOWN, g.RightEdge(col), 5, MK_LBUTTON);
    EXPECT_EQ(g.grid->SizingColumn(), -1) << "coFixedSize";
    SendMouse(g.Wnd(), WM_LBUTTONUP, g.RightEdge(col), 5);
}

TEST(GridMouse, HotCellRepaintsOnlyTheTwoCellsAndLeavingResetsHotState)
{
    TInputGrid g(5);
    POINT a = g.CellCenter(0, 1), b = g.CellCenter(1, 3);
    SendMouse(g.Wnd(), WM_MOUSEMOVE, a.x, a.y);
    EXPECT_EQ(g.grid->HotCol(), 0);
    EXPECT_EQ(g.grid->HotRow(), 1);
    g.Settle();
    SendMouse(g.Wnd(), WM_MOUSEMOVE, a.x + 1, a.y);
    EXPECT_TRUE(Empty(gridtest::PendingUpdate(g.Wnd()))) << "a move within the hot cell repaints nothing";
    SendMouse(g.Wnd(), WM_MOUSEMOVE, b.x, b.y);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(g.Wnd(), rgn, FALSE);
    ui::TRect ra = g.grid->CellRect(0, 1), rb = g.grid->CellRect(1, 3);
    // Each cell with its grid lines; nothing else.
    HRGN expected = CreateRectRgn(ra.left, ra.top, ra.right + 1, ra.bottom + 1);
    HRGN second = CreateRectRgn(rb.left, rb.top, rb.right + 1, rb.bottom + 1);
    CombineRgn(expected, expected, second, RGN_OR);
    EXPECT_TRUE(EqualRgn(rgn, expected)) << "only the old and the new hot cell repaint";
    DeleteObject(rgn);
    DeleteObject(expected);
    DeleteObject(second);

    POINT h = g.HeaderCenter(2);
    SendMouse(g.Wnd(), WM_MOUSEMOVE, h.x, h.y);
    EXPECT_EQ(g.grid->HotHeader(), 2);
    EXPECT_EQ(g.grid->HotRow(), -1);
    int edge = g.RightEdge(g.grid->Columns()->DisplayItems(0)->Index());
    SendMouse(g.Wnd(), WM_MOUSEMOVE, edge, 5);
    EXPECT_EQ(g.grid->Cursor(), crHorzSplit);
    SendMessageW(g.Wnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(g.grid->HotHeader(), -1);
    EXPECT_EQ(g.grid->Cursor(), ui::crDefault) << "leaving resets the cursor";
}

TEST(GridMouse, DesignModeLeavesTheDataAreaAloneAndSizesColumnsInTheHeader)
{
    TInputGrid g(5);
    TCustomColumn* editable = g.grid->Columns()->Items(1);
    editable->SetOptions(editable->Options() + TColumnOptions{TColumnOption::coEditing});
    TCellList clicked;
    int presses = 0;
    g.grid->OnCellClick = [&](ui::TObject*, int c, int r) { clicked.push_back({c, r}); };
    g.grid->OnMouseDown = [&](ui::TObject*, ui::TMouseButton, ui::TShiftState, int, int) { ++presses; };
    g.grid->SetCurrentCell(0, 0);
    SetFocus(g.host->Handle());

    g.grid->SetDesigning(true);
    EXPECT_TRUE(editable->IsDesigning()) << "the grid's columns are in design mode with it";
    POINT p = g.CellCenter(1, 2);
    SendMouse(g.Wnd(), WM_MOUSEMOVE, p.x, p.y);
    EXPECT_EQ(g.grid->HotRow(), -1) << "no hot tracking over the data";
    Click(g.Wnd(), p.x, p.y);
    EXPECT_FALSE(g.grid->Focused()) << "a press takes no focus in design mode";
    EXPECT_EQ(g.grid->CurrentCol(), 0) << "a press in the data area does not move the current cell";
    EXPECT_EQ(g.grid->CurrentRow(), 0);
    EXPECT_TRUE(clicked.empty()) << "no OnCellClick";
    EXPECT_FALSE(g.grid->EditorOpen()) << "no editor opens";
    EXPECT_EQ(presses, 0) << "the data area's mouse messages are left alone entirely";

    // Header-edge sizing works, and the new width is the column's default width too. The moves
    // and the release below the header strip still belong to the sizing.
    TCustomColumn* first = g.grid->Columns()->DisplayItems(0);
    int edge = g.RightEdge(first->Index()), width = first->Width();
    SendMouse(g.Wnd(), WM_LBUTTONDOWN, edge - 1, 5, MK_LBUTTON);
    EXPECT_EQ(g.grid->SizingColumn(), first->Index()) << "a press on a header edge starts sizing";
    EXPECT_EQ(presses, 1);
    SendMouse(g.Wnd(), WM_MOUSEMOVE, edge + 20, 60, MK_LBUTTON);
    EXPECT_EQ(g.grid->SizingChange(), 20);
    SendMouse(g.Wnd(), WM_LBUTTONUP, edge + 20, 60);
    EXPECT_EQ(g.grid->SizingColumn(), -1);
    EXPECT_EQ(first->Width(), width + 20);
    EXPECT_EQ(first->DefaultWidth(), width + 20) << "in design mode Width sets DefaultWidth";
    EXPECT_FALSE(g.grid->Focused());

    // Out of design mode the same steps act on the data and leave DefaultWidth alone.
    g.grid->SetDesigning(false);
    EXPECT_FALSE(editable->IsDesigning());
    Click(g.Wnd(), p.x, p.y);
    EXPECT_TRUE(g.grid->GridFocused()) << "the grid, or the editor the click opened, has the focus";
    EXPECT_EQ(g.grid->CurrentRow(), 2);
    EXPECT_EQ(clicked, (TCellList{{1, 2}}));
    EXPECT_TRUE(g.grid->EditorOpen()) << "a click on an editable cell opens its editor";
    g.grid->CloseEditor();
    edge = g.RightEdge(first->Index());
    SendMouse(g.Wnd(), WM_LBUTTONDOWN, edge - 1, 5, MK_LBUTTON);
    SendMouse(g.Wnd(), WM_MOUSEMOVE, edge - 11, 5, MK_LBUTTON);
    SendMouse(g.Wnd(), WM_LBUTTONUP, edge - 11, 5);
    EXPECT_EQ(first->Width(), width + 9);
    EXPECT_EQ(first->DefaultWidth(), width + 20) << "outside design mode DefaultWidth is only stored";
}

TEST(GridMouse, TextFitHintShowsTextsWiderThanTheColumn)
{
    TInputGrid g(2);
    TCustomColumn* column = g.grid->Columns()->Items(0);
    column->SetOptions(column->Options() + TColumnOptions{TColumnOption::coShowTextFitHint});
    g.grid->SetCellText(0, 0, std::wstring(80, L'W'));
    g.grid->SetCellText(0, 1, L"k");
    POINT wide = g.CellCenter(0, 0), narrow = g.CellCenter(0, 1);
    SendMouse(g.Wnd(), WM_MOUSEMOVE, wide.x, wide.y);
    THintWindow* hint = g.grid->TextFitHint();
    ASSERT_TRUE(hint->HandleAllocated() && IsWindowVisible(hint->Handle())) << "the text does not fit";
    EXPECT_EQ(hint->HintText(), std::wstring(80, L'W'));
    RECT shown;
    GetWindowRect(hint->Handle(), &shown);
    ui::TRect cell = g.grid->CellRect(0, 0);
    ui::TPoint corner = g.grid->ClientToScreen(ui::Point(cell.left, cell.top));
    EXPECT_EQ(shown.left, corner.x);
    EXPECT_EQ(shown.top, corner.y);
    EXPECT_LE(shown.right - shown.left, g.grid->ClientWidth()) << "no wider than the grid";
    SendMouse(g.Wnd(), WM_MOUSEMOVE, narrow.x, narrow.y);
    EXPECT_FALSE(hint->HandleAllocated() && IsWindowVisible(hint->Handle())) << "a short text needs no hint";

    column->SetOptions(column->Options() - TColumnOptions{TColumnOption::coShowTextFitHint});
    SendMouse(g.Wnd(), WM_MOUSEMOVE, wide.x, wide.y);
    EXPECT_FALSE(hint->HandleAllocated() && IsWindowVisible(hint->Handle())) << "only with coShowTextFitHint";
}

TEST(GridMouse, WheelScrollsRowsAndPagesAndCanBeTakenByTheEvents)
{
    TInputGrid g(40);
    auto wheel = [&](int delta, WPARAM keys = 0) {
        POINT screen{0, 0};
        ClientToScreen(g.Wnd(), &screen);
        SendMessageW(g.Wnd(), WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(static_cast<short>(delta))),
                     MAKELPARAM(screen.x + 30, screen.y + 30));
    };
    TControlScrollBar* bar = g.grid->VertScrollBar();
    wheel(-WHEEL_DELTA);
    EXPECT_EQ(bar->Position(), 1) << "a notch down is one row";
    wheel(-2 * WHEEL_DELTA);
    EXPECT_EQ(bar->Position(), 3) << "two notches, two rows";
    wheel(-WHEEL_DELTA, MK_CONTROL);
    EXPECT_EQ(bar->Position(), 13) << "with Ctrl a page";
    wheel(WHEEL_DELTA);
    EXPECT_EQ(bar->Position(), 12);
    int downs = 0, ups = 0;
    bool take = true;
    g.grid->OnMouseWheelDown = [&](ui::TObject*, ui::TShiftState, ui::TPoint, bool& handled) {
        ++downs;
        handled = take;
    };
    g.grid->OnMouseWheelUp = [&](ui::TObject*, ui::TShiftState, ui::TPoint, bool&) { ++ups; };
    wheel(-WHEEL_DELTA);
    EXPECT_EQ(bar->Position(), 12) << "a handler that takes the wheel stops the scroll";
    take = false;
    wheel(-WHEEL_DELTA);
    wheel(WHEEL_DELTA);
    EXPECT_EQ(downs, 2);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(bar->Position(), 12);
}

TEST(GridKeyboard, ArrowsPagesHomeAndEndWalkTheGridToItsEnds)
{
    TInputGrid g(30);
    HWND w = g.Wnd();
    TControlScrollBar* bar = g.grid->VertScrollBar();
    int shown = g.grid->VisibleRowCount();
    ASSERT_GT(shown, 2);
    ASSERT_LT(shown, 30);
    int keyDowns = 0;
    g.grid->OnKeyDown = [&](ui::TObject*, WORD&, ui::TShiftState) { ++keyDowns; };
    g.grid->SetCurrentCell(4, 0);

    Key(w, VK_UP);
    EXPECT_EQ(g.grid->CurrentRow(), 0) << "Up on the first row without goInput";
    EXPECT_FALSE(g.grid->InputRowActive());
    for (int i = 0; i < shown; ++i)
        Key(w, VK_DOWN);
    EXPECT_EQ(g.grid->CurrentRow(), shown);
    EXPECT_EQ(bar->Position(), 1) << "Down past the last whole row scrolls one row";
    Key(w, VK_UP);
    Key(w, VK_UP);
    EXPECT_EQ(g.grid->CurrentRow(), shown - 2);
    EXPECT_EQ(bar->Position(), 1);
    Key(w, VK_END);
    EXPECT_EQ(g.grid->CurrentRow(), 29);
    EXPECT_EQ(bar->Position(), bar->Max());
    Key(w, VK_DOWN);
    EXPECT_EQ(g.grid->CurrentRow(), 29) << "nothing below the last row";
    Key(w, VK_HOME);
    EXPECT_EQ(g.grid->CurrentRow(), 0);
    EXPECT_EQ(bar->Position(), 0);

    Key(w, VK_NEXT);
    EXPECT_EQ(g.grid->CurrentRow(), shown - 1) << "Page Down first goes to the last whole row";
    Key(w, VK_NEXT);
    EXPECT_EQ(g.grid->CurrentRow(), 2 * shown - 1);
    EXPECT_EQ(bar->Position(), shown);
    Key(w, VK_PRIOR);
    EXPECT_EQ(g.grid->CurrentRow(), shown) << "Page Up first goes to the first row shown";
    Key(w, VK_PRIOR);
    EXPECT_EQ(g.grid->CurrentRow(), 0);
    EXPECT_EQ(bar->Position(), 0);
    Key(w, VK_PRIOR);
    EXPECT_EQ(g.grid->CurrentRow(), 0) << "not above row 0";

    // Columns in display order 3, 4, 0, 1, 2; the ends stay.
    std::vector<int> walk;
    g.grid->SetCurrentCell(3, 0);
    for (int i = 0; i < 5; ++i) {
        Key(w, VK_RIGHT);
        walk.push_back(g.grid->CurrentCol());
    }
    EXPECT_EQ(walk, (std::vector<int>{4, 0, 1, 2, 2}));
    g.grid->Columns()->Items(1)->SetVisible(false);
    Key(w, VK_LEFT);
    EXPECT_EQ(g.grid->CurrentCol(), 0) << "a hidden column is skipped";
    Key(w, VK_LEFT);
    Key(w, VK_LEFT);
    Key(w, VK_LEFT);
    EXPECT_EQ(g.grid->CurrentCol(), 3);
    EXPECT_GT(keyDowns, 0);

    TInputGrid empty(0);
    int emptyKeys = 0;
    empty.grid->OnKeyDown = [&](ui::TObject*, WORD&, ui::TShiftState) { ++emptyKeys; };
    Key(empty.Wnd(), VK_DOWN);
    EXPECT_EQ(emptyKeys, 0) << "a grid without rows ignores keys, OnKeyDown included";
}

TEST(GridKeyboard, PageDownWithAllRowsShownGoesToTheLastAndInputRowIsEnteredAndLeft)
{
    TInputGrid g(3);
    HWND w = g.Wnd();
    Key(w, VK_NEXT);
    EXPECT_EQ(g.grid->CurrentRow(), 2);
    Key(w, VK_HOME);
    g.grid->SetOptions(g.grid->Options() + TGridOptions{TGridOption::goInput});
    Key(w, VK_UP);
    EXPECT_TRUE(g.grid->InputRowActive()) << "Up on row 0 with goInput";
    Key(w, VK_DOWN);
    EXPECT_FALSE(g.grid->InputRowActive());
    EXPECT_EQ(g.grid->CurrentRow(), 0) << "Down from the input row goes to row 0";

    TInputGrid one(1);
    one.grid->SetOptions(one.grid->Options() + TGridOptions{TGridOption::goInput});
    Key(one.Wnd(), VK_UP);
    ASSERT_TRUE(one.grid->InputRowActive());
    Key(one.Wnd(), VK_DOWN);
    EXPECT_FALSE(one.grid->InputRowActive()) << "a single row still lies below the input row";
}

TEST(GridKeyboard, EnterMovesOnlyWithWantReturnsAndStopsAtTheEnds)
{
    TInputGrid g(3);
    HWND w = g.Wnd();
    g.grid->SetCurrentCell(4, 1);
    Char(w, L'\r');
    EXPECT_EQ(g.grid->CurrentRow(), 1) << "without WantReturns Enter does nothing";
    EXPECT_EQ(SendMessageW(w, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);
    g.grid->SetWantReturns(true);
    g.grid->SetSelectionMoveDirection(TSelectionMoveDirection::mdDown);
    Char(w, L'\r');
    Char(w, L'\r');
    EXPECT_EQ(g.grid->CurrentRow(), 2) << "down, only to an existing row";
    g.grid->SetSelectionMoveDirection(TSelectionMoveDirection::mdUp);
    for (int i = 0; i < 4; ++i)
        Char(w, L'\r');
    EXPECT_EQ(g.grid->CurrentRow(), 0) << "up stops at the first row";
    g.grid->SetSelectionMoveDirection(TSelectionMoveDirection::mdRight);
    Char(w, L'\r');
    EXPECT_EQ(g.grid->CurrentCol(), 0) << "right of column 4 in display order is column 0";
    g.grid->SetSelectionMoveDirection(TSelectionMoveDirection::mdLeft);
    Char(w, L'\r');
    EXPECT_EQ(g.grid->CurrentCol(), 4);
    g.grid->SetSelectionMoveDirection(TSelectionMoveDirection::mdNone);
    Char(w, L'\r');
    EXPECT_EQ(g.grid->CurrentCol(), 4);
    EXPECT_EQ(g.grid->CurrentRow(), 0);
}

TEST(GridKeyboard, IncrementalSearchCollectsKeysUntilTheTimerEmptiesIt)
{
    TInputGrid g(6);
    const wchar_t* names[] = {L"Bora", L"ali", L"Abla", L"Cem", L"aBcd", L"bahar"};
    for (int r = 0; r < 6; ++r)
        g.grid->SetCellText(1, r, names[r]);
    TCustomColumn* column = g.grid->Columns()->Items(1);
    HWND w = g.Wnd();
    g.grid->SetCurrentCell(1, 0);
    Char(w, L'a');
    EXPECT_EQ(g.grid->CurrentRow(), 0) << "no search column yet";
    EXPECT_EQ(g.grid->SearchText(), L"");
    column->SetOptions(column->Options() + TColumnOptions{TColumnOption::coSearchColumn});

    Char(w, L'a');
    EXPECT_EQ(g.grid->CurrentRow(), 1) << "the first row after the current one";
    Char(w, L'B');
    EXPECT_EQ(g.grid->SearchText(), L"aB");
    EXPECT_EQ(g.grid->CurrentRow(), 2) << "\"aB\" finds \"Abla\" in any case";
    Char(w, L'c');
    EXPECT_EQ(g.grid->CurrentRow(), 4);
    ASSERT_TRUE(g.grid->SearchTimer()->Running());
    EXPECT_EQ(g.grid->SearchTimer()->Interval(), kSearchResetMs);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return g.grid->SearchText().empty(); }))
        << "the timer empties the search text";
    EXPECT_FALSE(g.grid->SearchTimer()->Running()) << "and stops";
    Char(w, L'b');
    EXPECT_EQ(g.grid->SearchText(), L"b") << "after the pause a new search starts";
    EXPECT_EQ(g.grid->CurrentRow(), 5) << "searching wraps past the end: \"bahar\" after row 4";
    Char(w, L'o');
    EXPECT_EQ(g.grid->CurrentRow(), 0) << "then from the top: \"Bora\"";
    Char(w, L'x');
    EXPECT_EQ(g.grid->CurrentRow(), 0) << "no row begins with \"box\": the cell stays";

    column->SetOptions(column->Options() + TColumnOptions{TColumnOption::coEditing});
    g.grid->SetCurrentCell(1, 3);
    Char(w, L'z');
    EXPECT_EQ(g.grid->SearchText().find(L'z'), std::wstring::npos) << "no search while the current column is editable";
    EXPECT_EQ(g.grid->CurrentRow(), 3);
}

TEST(GridKeyboard, MoveToRowLeavesTheInputRowAndIgnoresMissingRows)
{
    TInputGrid g(4);
    g.grid->SetOptions(g.grid->Options() + TGridOptions{TGridOption::goInput});
    g.grid->SetCurrentCell(2, 0);
    g.grid->SetInputRowActive(true);
    TCellList selected;
    g.grid->OnSelectCell = [&](ui::TObject*, int c, int r) { selected.push_back({c, r}); };
    g.grid->MoveToRow(3);
    EXPECT_FALSE(g.grid->InputRowActive());
    EXPECT_EQ(selected, (TCellList{{2, 3}}));
    g.grid->MoveToRow(4);
    g.grid->MoveToRow(-1);
    EXPECT_EQ(g.grid->CurrentRow(), 3);
}
