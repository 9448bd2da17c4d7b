// Hit testing and column-sizing geometry of the grid.
#include "grid/layout/GridHitTest.h"

#include <algorithm>
#include <cstdlib>

namespace grid {

namespace {

bool Inside(const ui::TRect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

} // namespace

TGridArea AreaAt(const TGridGeometry& g, int x, int y)
{
    if (g.Style == TGridStyle::gsSlides)
        return TGridArea::gaData;
    const TGridLayout& l = g.Layout;
    static const TGridArea order[] = {TGridArea::gaHeader, TGridArea::gaInput, TGridArea::gaData, TGridArea::gaFooter,
                                      TGridArea::gaIndicator};
    for (TGridArea area : order)
        if (l.AreaShown(area) && Inside(l.AreaRect(area), x, y))
            return area;
    return TGridArea::gaNone;
}

int ColumnAtX(const TGridGeometry& g, int x)
{
    for (const TColumnSpan& c : g.Columns) {
        int left = c.Left - g.Layout.ScrollX;
        if (c.Visible && x >= left && x <= left + c.Width)
            return c.Index;
    }
    return -1;
}

int SizingColumnAt(const TGridGeometry& g, int x, int y)
{
    const TGridLayout& l = g.Layout;
    if (g.Style != TGridStyle::gsReport || !l.Options.Contains(TGridOption::goHeader) || y < 0 || y >= l.HeaderSize)
        return -1;
    for (const TColumnSpan& c : g.Columns) {
        if (!c.Visible || c.FixedSize)
            continue;
        int right = c.Left - l.ScrollX + c.Width;
        if (std::abs(x - right) <= 2)
            return c.Index;
    }
    return -1;
}

TGridHit HitTest(const TGridGeometry& g, int x, int y)
{
    TGridHit hit;
    hit.Area = AreaAt(g, x, y);
    if (g.Style == TGridStyle::gsSlides) {
        int pitch = std::max(1, g.Layout.GridLineWidth() + g.SlideSize);
        // Floor division: a point above the client area belongs to the slide before the first.
        int slide = y >= 0 ? y / pitch : -((-y + pitch - 1) / pitch);
        hit.Row = slide + g.Layout.TopRow;
        int within = y - slide * pitch;
        for (const TColumnSpan& c : g.Columns)
            if (c.Visible && Inside(c.Slide, x, within)) {
                hit.Col = c.Index;
                break;
            }
        return hit;
    }
    hit.SizingCol = SizingColumnAt(g, x, y);
    switch (hit.Area) {
    case TGridArea::gaData:
        hit.Col = ColumnAtX(g, x);
        hit.Row = g.Layout.RowAt(y);
        break;
    case TGridArea::gaHeader:
    case TGridArea::gaInput:
    case TGridArea::gaFooter: hit.Col = ColumnAtX(g, x); break;
    case TGridArea::gaIndicator:
        // The indicator lies beside the data rows; its cells are the rows' cells.
        if (y >= g.Layout.DataRect().top && y < g.Layout.DataRect().bottom)
            hit.Row = g.Layout.RowAt(y);
        break;
    default: break;
    }
    return hit;
}

int SizingWidthChange(int columnLeft, int columnWidth, int scrollX, int x)
{
    int64_t change = static_cast<int64_t>(x) + scrollX - (static_cast<int64_t>(columnLeft) + columnWidth);
    int64_t least = static_cast<int64_t>(kMinColumnWidth) - columnWidth;
    return static_cast<int>(std::max(change, least));
}

TGuideLines SizingGuideLines(int columnIndex, int columnLeft, int columnWidth, int scrollX, int widthChange)
{
    TGuideLines lines;
    lines.First = columnLeft - scrollX - (columnIndex == 0 ? 0 : 1);
    lines.Second = columnLeft - scrollX + columnWidth + widthChange - 1;
    return lines;
}

ui::TRect DropBand(const TGridGeometry& g)
{
    int right = 0;
    for (const TColumnSpan& c : g.Columns)
        if (c.Visible)
            right = std::max(right, c.Left - g.Layout.ScrollX + c.Width);
    right = std::min(right, g.Layout.ClientWidth);
    return ui::Rect(0, 0, right, 2 * g.Layout.HeaderSize);
}

bool PastDragThreshold(ui::TPoint press, ui::TPoint now)
{
    return std::abs(now.x - press.x) > 3 || std::abs(now.y - press.y) > 3;
}

} // namespace grid
