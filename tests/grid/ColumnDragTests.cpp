// Moving a column by dragging its header: start threshold, arrows, drop, hide, and the ways a
// drag ends without moving anything.
#include "GridTestSupport.h"

#include "grid/control/GridInput.h"
#include "grid/popups/ColumnDragBox.h"
#include "tests/support/GdiLeakCheck.h"
#include "tests/support/InputSupport.h"
#include "ui/core/ScopeGuard.h"

#include <gtest/gtest.h>

#include <vector>

using namespace grid;
using gridtest::TInputGrid;
using testsupport::Key;
using testsupport::SendMouse;
using testsupport::SendToCapture;

namespace {

// A call-list grid whose headers can be clicked and dragged.
struct TDragGrid : TInputGrid {
    TDragGrid() : TInputGrid(3)
    {
        grid->SetOptions(grid->Options() - TGridOptions{TGridOption::goDissableColumnMoving});
        for (int i = 0; i < grid->Columns()->Count(); ++i) {
            TCustomColumn* c = grid->Columns()->Items(i);
            c->SetOptions(c->Options() + TColumnOptions{TColumnOption::coCanClick});
        }
    }
    std::vector<int> Order() const
    {
        std::vector<int> order;
        for (int p = 0; p < grid->Columns()->Count(); ++p)
            if (grid->Columns()->DisplayItems(p)->Visible())
                order.push_back(grid->Columns()->DisplayItems(p)->Index());
        return order;
    }
    POINT Screen(POINT client) const
    {
        ClientToScreen(Wnd(), &client);
        return client;
    }
    // Presses the header of `col` and moves 10 pixels right: the drag is on.
    void BeginDrag(int col)
    {
        POINT h = HeaderCenter(col);
        SendMouse(Wnd(), WM_LBUTTONDOWN, h.x, h.y, MK_LBUTTON);
        SendMouse(Wnd(), WM_MOUSEMOVE, h.x + 10, h.y, MK_LBUTTON);
    }
    bool Dragging() const { return grid->DraggedColumn() >= 0 && GetCapture() == grid->DragBox()->Handle(); }
    void DropAt(POINT client) const
    {
        POINT s = Screen(client);
        SendToCapture(WM_MOUSEMOVE, s, MK_LBUTTON);
        SendToCapture(WM_LBUTTONUP, s);
    }
};

const std::vector<int> kStartOrder{3, 4, 0, 1, 2};

} // namespace

TEST(ColumnDrag, StartsAfterMoreThanThreePixelsOnAClickableHeaderOnly)
{
    TDragGrid g;
    POINT h = g.HeaderCenter(0);
    SendMouse(g.Wnd(), WM_LBUTTONDOWN, h.x, h.y, MK_LBUTTON);
    SendMouse(g.Wnd(), WM_MOUSEMOVE, h.x + 3, h.y - 3, MK_LBUTTON);
    EXPECT_EQ(g.grid->DraggedColumn(), -1) << "3 pixels is not a drag";
    SendMouse(g.Wnd(), WM_MOUSEMOVE, h.x - 4, h.y, MK_LBUTTON);
    EXPECT_EQ(g.grid->DraggedColumn(), 0) << "4 pixels is";
    ASSERT_TRUE(g.Dragging()) << "the box holds the mouse";
    EXPECT_TRUE(IsWindowVisible(g.grid->DragBox()->Handle()));
    RECT box;
    GetWindowRect(g.grid->DragBox()->Handle(), &box);
    EXPECT_EQ(box.right - box.left, g.grid->Columns()->Items(0)->Width());
    EXPECT_EQ(box.bottom - box.top, g.grid->HeaderSize());
    Key(g.Wnd(), VK_ESCAPE);
    EXPECT_FALSE(g.Dragging());

    TDragGrid fixed;
    fixed.grid->SetOptions(fixed.grid->Options() + TGridOptions{TGridOption::goDissableColumnMoving});
    fixed.BeginDrag(0);
    EXPECT_EQ(fixed.grid->DraggedColumn(), -1) << "goDissableColumnMoving";
    SendMouse(fixed.Wnd(), WM_LBUTTONUP, 10, 10);

    TDragGrid plain;
    TCustomColumn* c = plain.grid->Columns()->Items(0);
    c->SetOptions(c->Options() - TColumnOptions{TColumnOption::coCanClick});
    plain.BeginDrag(0);
    EXPECT_EQ(plain.grid->DraggedColumn(), -1) << "a header without coCanClick does not drag";
    SendMouse(plain.Wnd(), WM_LBUTTONUP, 10, 10);
}

TEST(ColumnDrag, ArrowsMarkTheTargetInsideTheBandAndTheDropMovesThere)
{
    TDragGrid g;
    g.BeginDrag(0);
    ASSERT_TRUE(g.Dragging());
    // Over the first column shown (index 3) inside the band.
    POINT over = g.HeaderCenter(3);
    SendToCapture(WM_MOUSEMOVE, g.Screen(over), MK_LBUTTON);
    TDragArrow* down = g.grid->DragArrow(0);
    TDragArrow* up = g.grid->DragArrow(1);
    ASSERT_TRUE(IsWindowVisible(down->Handle()) && IsWindowVisible(up->Handle()));
    EXPECT_EQ(down->Kind(), TDragArrow::akDown);
    EXPECT_EQ(up->Kind(), TDragArrow::akUp);
    POINT edge = g.Screen(POINT{g.grid->Columns()->Items(3)->Left(), 0});
    RECT r;
    GetWindowRect(down->Handle(), &r);
    EXPECT_EQ(r.left, edge.x - 4);
    EXPECT_EQ(r.top, edge.y - 12);
    GetWindowRect(up->Handle(), &r);
    EXPECT_EQ(r.top, edge.y + g.grid->HeaderSize() - 1);
    EXPECT_EQ(g.grid->Cursor(), ui::crDefault);

    // Below the band: no arrows, the no-drop cursor.
    SendToCapture(WM_MOUSEMOVE, g.Screen(POINT{over.x, 2 * g.grid->HeaderSize() + 5}), MK_LBUTTON);
    EXPECT_FALSE(IsWindowVisible(down->Handle()));
    EXPECT_EQ(g.grid->Cursor(), crColumnNoDrag);

    g.DropAt(over);
    EXPECT_EQ(g.Order(), (std::vector<int>{0, 3, 4, 1, 2}));
    EXPECT_FALSE(g.Dragging());
    EXPECT_EQ(g.grid->DraggedColumn(), -1);
    EXPECT_FALSE(IsWindowVisible(down->Handle())) << "the arrows go with the drag";
    EXPECT_FALSE(IsWindowVisible(g.grid->DragBox()->Handle()));
    EXPECT_EQ(g.grid->Cursor(), ui::crDefault);
}

TEST(ColumnDrag, DropOnItselfAndRightReleaseChangeNothing)
{
    TDragGrid g;
    g.BeginDrag(4);
    POINT s = g.Screen(g.HeaderCenter(4));
    SendToCapture(WM_RBUTTONDOWN, s, MK_LBUTTON | MK_RBUTTON);
    SendToCapture(WM_RBUTTONUP, s, MK_LBUTTON);
    EXPECT_TRUE(g.Dragging()) << "a right-button release does not end the drag";
    g.DropAt(g.HeaderCenter(4));
    EXPECT_EQ(g.Order(), kStartOrder) << "dropped on itself";
    EXPECT_FALSE(g.Dragging());
}

TEST(ColumnDrag, DropBelowTheBandHidesOnlyWithCanHideColumnAndNeverTheLast)
{
    TDragGrid g;
    POINT below{g.HeaderCenter(1).x, 2 * g.grid->HeaderSize() + 10};
    g.BeginDrag(1);
    g.DropAt(below);
    EXPECT_EQ(g.Order(), kStartOrder) << "without goCanHideColumn nothing changes";

    g.grid->SetOptions(g.grid->Options() + TGridOptions{TGridOption::goCanHideColumn});
    g.BeginDrag(1);
    g.DropAt(below);
    EXPECT_EQ(g.Order(), (std::vector<int>{3, 4, 0, 2})) << "with it the column is hidden";

    for (int i : {0, 2, 4})
        g.grid->Columns()->Items(i)->SetVisible(false);
    ASSERT_EQ(g.Order(), std::vector<int>{3});
    g.BeginDrag(3);
    g.DropAt(POINT{g.HeaderCenter(3).x, below.y});
    EXPECT_EQ(g.Order(), std::vector<int>{3}) << "the last visible column stays";
}

TEST(ColumnDrag, ADropPastTheShownColumnsIsNoDropAsTheCursorSaid)
{
    TDragGrid g;
    // The last column shown reaches past the client's right edge.
    g.grid->Columns()->Items(2)->SetWidth(600);
    int client = g.grid->ClientWidth();
    g.BeginDrag(0);
    POINT past{client + 20, g.grid->HeaderSize() / 2};
    SendToCapture(WM_MOUSEMOVE, g.Screen(past), MK_LBUTTON);
    EXPECT_EQ(g.grid->Cursor(), crColumnNoDrag);
    g.DropAt(past);
    EXPECT_EQ(g.Order(), kStartOrder) << "the drop lands only where the arrows could show";
}

TEST(ColumnDrag, LosingTheCaptureEscapeOrTheApplicationCancelsWithoutMoving)
{
    TDragGrid g;
    POINT target = g.HeaderCenter(3);

    g.BeginDrag(0);
    SendToCapture(WM_MOUSEMOVE, g.Screen(target), MK_LBUTTON);
    SetCapture(g.host->Handle());
    ReleaseCapture();
    EXPECT_FALSE(g.Dragging()) << "another window took the mouse";
    EXPECT_FALSE(IsWindowVisible(g.grid->DragArrow(0)->Handle()));

    g.BeginDrag(0);
    SendToCapture(WM_MOUSEMOVE, g.Screen(target), MK_LBUTTON);
    Key(g.Wnd(), VK_ESCAPE);
    EXPECT_FALSE(g.Dragging()) << "Escape";

    g.BeginDrag(0);
    SendToCapture(WM_MOUSEMOVE, g.Screen(target), MK_LBUTTON);
    SendMessageW(g.grid->DragBox()->Handle(), WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(g.Dragging()) << "the application was left";
    EXPECT_EQ(g.grid->Cursor(), ui::crDefault);
    EXPECT_EQ(g.grid->PressedHeader(), -1);

    EXPECT_EQ(g.Order(), kStartOrder) << "no cancelled drag moved a column";
    // A later release over the grid is not a drop either.
    SendMouse(g.Wnd(), WM_LBUTTONUP, target.x, target.y);
    EXPECT_EQ(g.Order(), kStartOrder);
}

TEST(ColumnDrag, ArrowShapesAreTheNineByNineArrows)
{
    HRGN up = TDragArrow::CreateShapeRegion(TDragArrow::akUp);
    HRGN down = TDragArrow::CreateShapeRegion(TDragArrow::akDown);
    HRGN none = TDragArrow::CreateShapeRegion(TDragArrow::akNone);
    EXPECT_TRUE(PtInRegion(up, 4, 1)) << "the up arrow's tip";
    EXPECT_TRUE(PtInRegion(up, 4, 7)) << "its shaft";
    EXPECT_FALSE(PtInRegion(up, 0, 8)) << "beside the shaft";
    EXPECT_TRUE(PtInRegion(down, 4, 7)) << "the down arrow's tip";
    EXPECT_TRUE(PtInRegion(down, 4, 1)) << "its shaft";
    EXPECT_FALSE(PtInRegion(down, 0, 1));
    RECT box;
    EXPECT_EQ(GetRgnBox(none, &box), NULLREGION);
    DeleteObject(up);
    DeleteObject(down);
    DeleteObject(none);
}

TEST(ColumnDrag, RepeatedDragsLeaveNoHandlesBehind)
{
    TDragGrid g;
    auto drag = [&](int col) {
        g.BeginDrag(col);
        SendToCapture(WM_MOUSEMOVE, g.Screen(g.HeaderCenter(4)), MK_LBUTTON);
        g.grid->DragBox()->Update(); // painted: its canvas takes its pens and brushes once
        g.DropAt(g.HeaderCenter(4));
    };
    drag(0);
    testsupport::TGdiSnapshot before = testsupport::TakeGdiSnapshot();
    for (int i = 0; i < 20; ++i)
        drag(i % 2 == 0 ? 0 : 3);
    EXPECT_EQ(testsupport::GdiGrowth(before, testsupport::TakeGdiSnapshot()), "");
}

TEST(ColumnDrag, TheBoxFollowsThePointerAndTheArrowsAreRed)
{
    TDragGrid g;
    g.BeginDrag(0);
    ASSERT_TRUE(g.Dragging());
    HWND box = g.grid->DragBox()->Handle();
    auto offset = [&](POINT client) {
        SendToCapture(WM_MOUSEMOVE, g.Screen(client), MK_LBUTTON);
        RECT r;
        GetWindowRect(box, &r);
        POINT s = g.Screen(client);
        return POINT{r.left - s.x, r.top - s.y};
    };
    POINT first = offset(g.HeaderCenter(3));
    POINT second = offset(POINT{g.HeaderCenter(4).x + 7, g.HeaderCenter(4).y + 3});
    EXPECT_EQ(first.x, second.x) << "the box keeps its place under the pointer";
    EXPECT_EQ(first.y, second.y);

    for (int i = 0; i < 2; ++i) {
        TDragArrow* arrow = g.grid->DragArrow(i);
        ASSERT_TRUE(IsWindowVisible(arrow->Handle()));
        arrow->Update();
        ui::TWindowDC dc(arrow->Handle(), ui::TWindowDC::waClient);
        EXPECT_EQ(GetPixel(dc, 4, 7), RGB(255, 0, 0)) << "arrow " << i << " is red";
    }
    g.DropAt(g.HeaderCenter(4));
}
