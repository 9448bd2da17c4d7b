// The grid's geometry as plain values: its options and styles, the areas of its client
// rectangle and the rectangle of every cell, computed (and tested) without a window.
#pragma once

#include "ui/core/TypInfo.h"
#include "ui/core/Types.h"

namespace grid {

enum class TGridStyle { gsReport, gsSlides };
enum class TGridLinesStyle { lsNormal, lsFramed, lsHorizontalOnly };
enum class THeaderStyle { hsAuto, hsDefault, hsOldStyle };
enum class TSelectionMoveDirection { mdNone, mdUp, mdDown, mdLeft, mdRight };
enum class TGridBorderStyle { bsNone, bsSingle };
enum class TGridOption {
    goAlwaysIndicateSelected, goAlphaBlendedSelection, goAlwaysShowSelection, goBoldTextSelection,
    goCanHideColumn, goDissableColumnMoving, goFooter, goGrid, goHeader, goHideFocus,
    goHighlightTextSelection, goIndicateSortedColumn, goIndicator, goInput, goMultiSelect,
    goSelectFullRow, goUseDefaultValues
};
using TGridOptions = ui::TSet<TGridOption>;
enum class TCellStateFlag { csBoldTextSelection, csFocused, csSelected, csTextHighlighted };
using TCellState = ui::TSet<TCellStateFlag>;

// Areas of the client rectangle, numbered as InvalidateArea takes them.
enum class TGridArea { gaNone = 0, gaData = 1, gaFooter = 2, gaHeader = 3, gaIndicator = 4, gaInput = 5 };

constexpr int kIndicatorWidth = 12;
// The raised band between the data rows and the footer cells.
constexpr int kFooterBand = 4;

// Everything the report-style geometry depends on, as plain values, so the rectangles can be
// computed (and tested) without a window.
struct TGridLayout {
    TGridOptions Options;
    TGridLinesStyle LinesStyle = TGridLinesStyle::lsNormal;
    int HeaderSize = 18;
    int InputSize = 16;
    int RowSize = 16;
    int VisibleWidth = 0; // W: sum of the visible columns' widths
    int ScrollX = 0;      // hx, pixels
    int TopRow = 0;       // vy, first row shown
    int ClientWidth = 0;
    int ClientHeight = 0;

    int GridLineWidth() const { return Options.Contains(TGridOption::goGrid) ? 1 : 0; }
    int IndicatorWidth() const { return Options.Contains(TGridOption::goIndicator) ? kIndicatorWidth : 0; }
    int RowPitch() const { return GridLineWidth() + RowSize; }
    // The footer's height from the bottom of the client area: a grid line, the band and a
    // header-high row of footer cells.
    int FooterHeight() const { return GridLineWidth() + kFooterBand + HeaderSize; }

    ui::TRect HeaderRect() const;
    ui::TRect InputRect() const;
    ui::TRect DataRect() const;
    ui::TRect FooterRect() const;
    ui::TRect IndicatorRect() const;
    // The cell of a column with the given Left and Width in row `row`; the grid lines lie just
    // outside (right line on x = right, bottom line on y = bottom).
    ui::TRect CellRect(int columnLeft, int columnWidth, int row) const;
    ui::TRect InputCellRect(int columnLeft, int columnWidth) const;
    ui::TRect RowRect(int row) const;
    int VisibleRowCount() const;
    // Row under a client y coordinate (may be outside the existing rows).
    int RowAt(int y) const;
    ui::TRect AreaRect(TGridArea area) const;
    bool AreaShown(TGridArea area) const;
    // How far the scroll bars reach: the rows of `rowCount` that do not fit the data area, and
    // the pixels of the columns and the indicator beyond the client width. Never negative, and
    // a row pitch of 0 (RowSize 0 without grid lines) counts as 1.
    int VertScrollMax(int rowCount) const;
    int HorzScrollMax() const;
};

} // namespace grid
