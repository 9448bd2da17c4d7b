// Scroll bars, content scrolling, scroll messages, auto-scroll and the grid's scroll ranges.
#include "GridTestSupport.h"

#include "grid/view/ScrollView.h"


#include <gtest/gtest.h>

#include <vector>

using namespace grid;

namespace {

// A scroll view that records every content scroll.
class TRecordingView : public TScrollView {
public:
    using TScrollView::TScrollView;
    std::vector<std::pair<int, int>> Scrolls;
    void ScrollBy(int dx, int dy) override
    {
        Scrolls.push_back({dx, dy});
        TScrollView::ScrollBy(dx, dy);
    }
};

struct TViewFixture {
    std::unique_ptr<gridtest::THostForm> host = gridtest::MakeHost(300, 200);
    TRecordingView* view = new TRecordingView(host.get());
    TViewFixture()
    {
        view->SetParent(host.get());
        view->SetBounds(0, 0, 200, 150);
        host->Show();
        view->HandleNeeded();
    }
};

} // namespace

TEST(ScrollBar, ClampingAndSetParamsOrder)
{
    TViewFixture f;
    TControlScrollBar* bar = f.view->VertScrollBar();
    EXPECT_EQ(bar->Kind(), TControlScrollBar::sbVertical);
    EXPECT_EQ(bar->Max(), 100);
    bar->SetPosition(7);
    f.view->Scrolls.clear();
    bar->SetMax(-5);
    EXPECT_EQ(bar->Max(), 0);
    EXPECT_EQ(bar->Position(), 0) << "lowered with the range";
    EXPECT_TRUE(f.view->Scrolls.empty()) << "lowering the range scrolls nothing";
    bar->SetMin(-3);
    EXPECT_EQ(bar->Min(), 0);

    bar->SetMax(10);
    bar->SetPosition(50);
    EXPECT_EQ(bar->Position(), 10);
    ASSERT_EQ(f.view->Scrolls.size(), 1u);
    EXPECT_EQ(f.view->Scrolls[0], std::make_pair(0, -10)) << "forward position moves the picture back";
    EXPECT_EQ(f.view->LastVertDelta, -10);
    bar->SetPosition(10);
    ASSERT_EQ(f.view->Scrolls.size(), 2u);
    EXPECT_EQ(f.view->Scrolls[1], std::make_pair(0, 0)) << "the same position still scrolls by 0";

    bar->SetMin(20);
    bar->SetPosition(5);
    EXPECT_EQ(bar->Position(), 20) << "Min wins over Max";
    bar->SetMin(0);

    bar->SetPosition(3);
    bar->SetParams(0, 0, 8, 1, true, true);
    EXPECT_EQ(bar->Position(), 3) << "position 0 keeps the current one";
    bar->SetParams(-1, 0, 2, 1, true, true);
    EXPECT_EQ(bar->Position(), 2) << "the lower Max pulls it down";
    bar->SetParams(5, 0, 9, 1, false, true);
    EXPECT_EQ(bar->Position(), 5);
    EXPECT_FALSE(bar->UpdateLock);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(f.view->Handle(), SB_VERT, &info));
    EXPECT_EQ(info.nMax, 9) << "the platform bar got the values once the lock was off";
    EXPECT_EQ(info.nPos, 5);
}

TEST(ScrollBar, ScrollMessages)
{
    TViewFixture f;
    TControlScrollBar* bar = f.view->HorzScrollBar();
    bar->SetParams(-1, 0, 20, 1, true, true);
    bar->SmallChange = 3;
    bar->LargeChange = 8;
    f.view->Scrolls.clear();
    bar->LineDown();
    EXPECT_EQ(bar->Position(), 3);
    bar->PageDown();
    EXPECT_EQ(bar->Position(), 11);
    bar->PageDown();
    bar->PageDown();
    EXPECT_EQ(bar->Position(), 20) << "clamped at Max";
    EXPECT_EQ(f.view->Scrolls.back(), std::make_pair(-1, 0));
    size_t before = f.view->Scrolls.size();
    bar->LineDown();
    EXPECT_EQ(bar->Position(), 20) << "line down at Max stays";
    EXPECT_EQ(f.view->Scrolls.size(), before + 1);
    EXPECT_EQ(f.view->Scrolls.back(), std::make_pair(0, 0)) << "...and moves no pixels";
    SendMessageW(f.view->Handle(), WM_HSCROLL, SB_TOP, 0);
    EXPECT_EQ(bar->Position(), 0);
    SendMessageW(f.view->Handle(), WM_HSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(bar->Position(), 20);
    SendMessageW(f.view->Handle(), WM_HSCROLL, SB_ENDSCROLL, 0);
    EXPECT_EQ(bar->Position(), 20);

    // A bar without range sends nothing.
    TControlScrollBar* vert = f.view->VertScrollBar();
    vert->SetParams(-1, 0, 0, 1, false, false);
    f.view->Scrolls.clear();
    vert->LineDown();
    vert->PageUp();
    EXPECT_TRUE(f.view->Scrolls.empty());
    EXPECT_EQ(SendMessageW(f.view->Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
    EXPECT_EQ(SendMessageW(f.view->Handle(), WM_ERASEBKGND, 0, 0), 1);
}

TEST(ScrollView, MiddleButtonAutoScroll)
{
    TViewFixture f;
    EXPECT_EQ(TScrollView::RollInterval(-6), 94u);
    EXPECT_EQ(TScrollView::RollInterval(150), 1u);
    EXPECT_EQ(TScrollView::RollInterval(0), 100u);
    f.view->VertScrollBar()->SetParams(-1, 0, 50, 1, true, true);
    HWND wnd = f.view->Handle();
    SendMessageW(wnd, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(50, 60));
    EXPECT_TRUE(f.view->Rolling());
    EXPECT_TRUE(f.view->RollMarker()->Visible());
    EXPECT_TRUE(f.view->RollTimer()->Enabled());
    EXPECT_EQ(f.view->RollCursor(), crRoll);
    ui::TPoint screen = f.view->ClientToScreen(ui::Point(50, 60));
    EXPECT_EQ(f.view->RollMarker()->Left(), screen.x - 7);
    EXPECT_EQ(f.view->RollMarker()->Top(), screen.y - 11);

    SendMessageW(wnd, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(50, 55));
    EXPECT_EQ(f.view->RollDirection(), 0) << "five pixels hold still";
    EXPECT_EQ(f.view->RollCursor(), crRoll);
    SendMessageW(wnd, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(50, 54));
    EXPECT_EQ(f.view->RollDirection(), TScrollView::rdUp);
    EXPECT_EQ(f.view->RollCursor(), crRollUp);
    SendMessageW(wnd, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(50, 140));
    EXPECT_EQ(f.view->RollDirection(), TScrollView::rdDown);
    EXPECT_EQ(f.view->RollCursor(), crRollDown);
    // The timer scrolls down, one line per tick.
    EXPECT_TRUE(testsupport::PumpUntil([&] { return f.view->VertScrollBar()->Position() >= 2; }, 3000))
        << "rolling down moves the position";

    // Any button up ends it.
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(50, 140));
    EXPECT_FALSE(f.view->Rolling());
    EXPECT_FALSE(f.view->RollMarker()->Visible());
    EXPECT_FALSE(f.view->RollTimer()->Enabled());
    int stopped = f.view->VertScrollBar()->Position();
    testsupport::PumpFor(100);
    EXPECT_EQ(f.view->VertScrollBar()->Position(), stopped);
}

TEST(ScrollView, RollMarkerShape)
{
    HRGN shape = TRollShadow::CreateShapeRegion();
    ASSERT_NE(shape, nullptr);
    EXPECT_TRUE(PtInRegion(shape, 7, 3)) << "up arrow";
    EXPECT_TRUE(PtInRegion(shape, 7, 11)) << "dot";
    EXPECT_TRUE(PtInRegion(shape, 6, 18)) << "down arrow";
    EXPECT_FALSE(PtInRegion(shape, 1, 11)) << "beside the dot";
    EXPECT_FALSE(PtInRegion(shape, 20, 20)) << "outside";
    DeleteObject(shape);
}

TEST(ScrollView, GridScrollRanges)
{
    auto host = gridtest::MakeHost();
    TGridView* grid = gridtest::LoadCallListGrid(*host);
    host->Show();
    grid->HandleNeeded();
    int fit = grid->VisibleRowCount();
    ASSERT_GT(fit, 0);
    grid->AddRows(fit);
    EXPECT_FALSE(grid->VertScrollBar()->Visible()) << "every row fits: the bar hides";
    grid->AddRows(1);
    EXPECT_TRUE(grid->VertScrollBar()->Visible());
    EXPECT_TRUE(grid->VertScrollBar()->Enabled());
    EXPECT_EQ(grid->VertScrollBar()->Max(), 1);
    EXPECT_EQ(grid->VertUnitSize, 21);

    grid->SetHideScrollBar(false);
    grid->ClearRows();
    grid->UpdateVertScrollRange();
    EXPECT_TRUE(grid->VertScrollBar()->Visible()) << "without HideScrollBar the bar stays";
    EXPECT_FALSE(grid->VertScrollBar()->Enabled());

    // Columns exactly as wide as the client: no horizontal bar; one pixel wider: Max 1.
    TColumns* columns = grid->Columns();
    int client = grid->ClientWidth();
    int others = columns->VisibleWidth() - columns->Items(2)->Width();
    columns->Items(2)->SetWidth(client - others);
    EXPECT_EQ(grid->HorzScrollBar()->Max(), 0);
    EXPECT_FALSE(grid->HorzScrollBar()->Visible());
    columns->Items(2)->SetWidth(client - others + 1);
    EXPECT_EQ(grid->HorzScrollBar()->Max(), 1);
    EXPECT_TRUE(grid->HorzScrollBar()->Visible());
}
