// Hit testing and column-sizing geometry of the grid, as plain functions on plain values, so the
// rules can be checked without a window.
#pragma once

#include "grid/layout/GridLayout.h"

#include <vector>

namespace grid {

// One column as hit testing sees it. Left is the unscrolled left edge (the indicator included),
// as TCustomColumn::Left holds it.
struct TColumnSpan {
    int Index = -1;
    int Left = 0;
    int Width = 0;
    bool Visible = true;
    bool FixedSize = false;
    ui::TRect Slide{0, 0, 0, 0}; // the column's rectangle inside one slide (gsSlides)
};

// Everything a hit test needs: the layout, the columns in display order and the style.
struct TGridGeometry {
    TGridLayout Layout;
    std::vector<TColumnSpan> Columns; // display order
    TGridStyle Style = TGridStyle::gsReport;
    int SlideSize = 80;
};

// What lies under a client point. Col is a column index (creation order), -1 for none; Row may
// lie beyond the existing rows (the caller knows how many there are). SizingCol is the column
// whose right edge a press there would drag, -1 for none.
struct TGridHit {
    TGridArea Area = TGridArea::gaNone;
    int Col = -1;
    int Row = -1;
    int SizingCol = -1;
};

// The area of a point, tested in the order header, input row, data, footer, indicator.
TGridArea AreaAt(const TGridGeometry& g, int x, int y);
// The first visible column in display order whose strip (scrolled Left to Left + Width, both
// ends included) holds x; -1 for none.
int ColumnAtX(const TGridGeometry& g, int x);
// The visible, sizable column whose right edge lies within 2 pixels of x, when y is inside the
// shown header; -1 for none.
int SizingColumnAt(const TGridGeometry& g, int x, int y);
// Area, cell and sizing edge under a point in one go.
TGridHit HitTest(const TGridGeometry& g, int x, int y);

// The smallest width a column can be dragged to.
constexpr int kMinColumnWidth = 8;

// The width change while an edge is dragged to client x: x + hx - (Left + Width), limited so
// that the width stays at least kMinColumnWidth.
int SizingWidthChange(int columnLeft, int columnWidth, int scrollX, int x);

// The two inverted guide lines of a column being sized: its left edge (one pixel further left
// for every column but the first by index) and its right edge - 1 after the change so far.
struct TGuideLines {
    int First = 0;
    int Second = 0;
};
TGuideLines SizingGuideLines(int columnIndex, int columnLeft, int columnWidth, int scrollX, int widthChange);

// The band where a dragged column can land: from the client's top-left corner to the right edge
// of the last visible column as shown (no further than the client width) and twice the header
// height. One band serves both the arrows and the drop, so the look and the result agree.
ui::TRect DropBand(const TGridGeometry& g);

// A header press becomes a column drag only when the pointer moves more than 3 pixels away.
bool PastDragThreshold(ui::TPoint press, ui::TPoint now);

} // namespace grid
