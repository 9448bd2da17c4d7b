// Measures the grid's mouse path against the row count: a hit test and a hot-tracking mouse
// move over a 1,000,000-row grid against a 6-row grid (they should cost the same), and the area
// a hot-cell change sends to be repainted (it should be the two cells involved, nothing more).
//   scripts/with-display.sh scripts/wine-run.sh build/win64/bench/grid_input_bench.exe
#include "BenchSupport.h"
#include "GridTestSupport.h"

#include "grid/layout/GridHitTest.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace grid;

namespace {

using bench::Seconds;

struct TMeasured {
    double HitTest = 1e9;
    double Move = 1e9;
};

// A grid scrolled to the middle of `rows` rows, and two cells in view to move between.
struct TBenchGrid {
    explicit TBenchGrid(int rows) : g(0)
    {
        g.grid->AppendRows(rows);
        g.grid->UpdateVertScrollRange();
        g.grid->VertScrollBar()->SetPosition(rows / 2);
        g.Settle();
        a = g.CellCenter(0, rows / 2);
        b = g.CellCenter(1, rows / 2 + 1);
    }
    // One timed run of each measure; keeps the best per call.
    void Run(TMeasured& m)
    {
        volatile int sink = 0;
        int flip = 0;
        constexpr int hits = 20000, moves = 2000;
        m.HitTest = std::min(m.HitTest, Seconds([&] {
                                 for (int i = 0; i < hits; ++i, flip ^= 1)
                                     sink = sink + g.grid->HitTest(flip ? a.x : b.x, flip ? a.y : b.y).Row;
                             }) / hits);
        m.Move = std::min(m.Move, Seconds([&] {
                              for (int i = 0; i < moves; ++i, flip ^= 1) {
                                  POINT p = flip ? a : b;
                                  SendMessageW(g.Wnd(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
                              }
                          }) / moves);
        g.Settle();
    }
    gridtest::TInputGrid g;
    POINT a{}, b{};
};

// Pixels of the update region after the hot cell moves from one cell to another.
void PaintedArea()
{
    gridtest::TInputGrid g(6);
    POINT a = g.CellCenter(0, 1), b = g.CellCenter(1, 4);
    SendMessageW(g.Wnd(), WM_MOUSEMOVE, 0, MAKELPARAM(a.x, a.y));
    g.Settle();
    SendMessageW(g.Wnd(), WM_MOUSEMOVE, 0, MAKELPARAM(b.x, b.y));
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(g.Wnd(), rgn, FALSE);
    DWORD size = GetRegionData(rgn, 0, nullptr);
    std::vector<char> data(size);
    auto* rd = reinterpret_cast<RGNDATA*>(data.data());
    GetRegionData(rgn, size, rd);
    long area = 0;
    const RECT* rects = reinterpret_cast<const RECT*>(rd->Buffer);
    for (DWORD i = 0; i < rd->rdh.nCount; ++i)
        area += (rects[i].right - rects[i].left) * (rects[i].bottom - rects[i].top);
    DeleteObject(rgn);
    auto cellArea = [&](int col, int row) {
        ui::TRect r = g.grid->CellRect(col, row);
        return long(r.right - r.left + 1) * long(r.bottom - r.top + 1); // with its grid lines
    };
    long expected = cellArea(0, 1) + cellArea(1, 4);
    long client = long(g.grid->ClientWidth()) * g.grid->ClientHeight();
    std::printf("hot-cell change repaints %ld pixels in %lu rectangles; the two cells are %ld; the client is %ld\n",
                area, static_cast<unsigned long>(rd->rdh.nCount), expected, client);
}

} // namespace

int main()
{
    // The two grids take turns, so a busy machine slows both alike; the best run of each counts.
    TBenchGrid smallGrid(6), largeGrid(1000000);
    TMeasured small, large;
    for (int run = 0; run < 9; ++run) {
        smallGrid.Run(small);
        largeGrid.Run(large);
    }
    std::printf("hit test:        6 rows %.3f us, 1,000,000 rows %.3f us, ratio %.2f\n", small.HitTest * 1e6,
                large.HitTest * 1e6, large.HitTest / small.HitTest);
    std::printf("hot-track move:  6 rows %.3f us, 1,000,000 rows %.3f us, ratio %.2f\n", small.Move * 1e6,
                large.Move * 1e6, large.Move / small.Move);
    PaintedArea();
    return 0;
}
