// The report-style geometry: areas of the client rectangle, cells and rows.
#include "grid/layout/GridLayout.h"

#include <algorithm>
#include <cstdint>

namespace grid {

ui::TRect TGridLayout::HeaderRect() const
{
    int i = IndicatorWidth();
    return ui::Rect(i, 0, i + VisibleWidth - ScrollX, HeaderSize);
}

ui::TRect TGridLayout::InputRect() const
{
    int i = IndicatorWidth();
    int top = Options.Contains(TGridOption::goHeader) ? HeaderSize : 0;
    return ui::Rect(i, top, i + VisibleWidth - ScrollX, top + InputSize + 6 + GridLineWidth());
}

ui::TRect TGridLayout::DataRect() const
{
    int i = IndicatorWidth();
    int g = GridLineWidth();
    int top = Options.Contains(TGridOption::goHeader) ? HeaderSize : 0;
    if (Options.Contains(TGridOption::goInput))
        top += InputSize + 6 + g;
    int right = std::min(i + VisibleWidth - ScrollX, ClientWidth);
    int bottom = Options.Contains(TGridOption::goFooter) ? ClientHeight - FooterHeight() : ClientHeight;
    return ui::Rect(i, top, right, bottom);
}

ui::TRect TGridLayout::FooterRect() const
{
    int i = IndicatorWidth();
    return ui::Rect(i, ClientHeight - FooterHeight(), i + VisibleWidth - ScrollX, ClientHeight);
}

ui::TRect TGridLayout::IndicatorRect() const { return ui::Rect(0, 0, kIndicatorWidth, ClientHeight); }

ui::TRect TGridLayout::CellRect(int columnLeft, int columnWidth, int row) const
{
    int left = columnLeft - ScrollX;
    int top = RowPitch() * (row - TopRow) + DataRect().top;
    bool verticalLine = Options.Contains(TGridOption::goGrid) && LinesStyle != TGridLinesStyle::lsHorizontalOnly;
    int right = left + columnWidth - (verticalLine ? 1 : 0);
    return ui::Rect(left, top, right, top + RowSize);
}

ui::TRect TGridLayout::InputCellRect(int columnLeft, int columnWidth) const
{
    ui::TRect r = CellRect(columnLeft, columnWidth, TopRow);
    r.top = InputRect().top;
    r.bottom = r.top + InputSize;
    return r;
}

ui::TRect TGridLayout::RowRect(int row) const
{
    int top = RowPitch() * (row - TopRow) + DataRect().top;
    return ui::Rect(0, top, DataRect().right, top + RowSize + GridLineWidth());
}

int TGridLayout::VisibleRowCount() const
{
    ui::TRect data = DataRect();
    int pitch = RowPitch();
    return pitch > 0 ? std::max(0, static_cast<int>(data.bottom - data.top)) / pitch : 0;
}

int TGridLayout::RowAt(int y) const
{
    int pitch = RowPitch();
    return pitch > 0 ? (y - DataRect().top) / pitch + TopRow : TopRow;
}

bool TGridLayout::AreaShown(TGridArea area) const
{
    switch (area) {
    case TGridArea::gaData: return true;
    case TGridArea::gaFooter: return Options.Contains(TGridOption::goFooter);
    case TGridArea::gaHeader: return Options.Contains(TGridOption::goHeader);
    case TGridArea::gaIndicator: return Options.Contains(TGridOption::goIndicator);
    case TGridArea::gaInput: return Options.Contains(TGridOption::goInput);
    default: return false;
    }
}

ui::TRect TGridLayout::AreaRect(TGridArea area) const
{
    switch (area) {
    case TGridArea::gaData: return DataRect();
    case TGridArea::gaFooter: return FooterRect();
    case TGridArea::gaHeader: return HeaderRect();
    case TGridArea::gaIndicator: return IndicatorRect();
    case TGridArea::gaInput: return InputRect();
    default: return ui::Rect(0, 0, 0, 0);
    }
}

int TGridLayout::VertScrollMax(int rowCount) const
{
    ui::TRect data = DataRect();
    int fit = std::max(0, static_cast<int>(data.bottom - data.top)) / std::max(1, RowPitch());
    return std::max(0, rowCount - fit);
}

int TGridLayout::HorzScrollMax() const
{
    int64_t wide = static_cast<int64_t>(VisibleWidth) + IndicatorWidth() - ClientWidth;
    return static_cast<int>(std::clamp<int64_t>(wide, 0, INT32_MAX));
}

} // namespace grid
