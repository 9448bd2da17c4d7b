// The in-cell elements.
#include "grid/editors/ColumnPlay.h"

#include "grid/common/GridClassInfo.h"
#include "grid/view/SharedClasses.h"

namespace grid {

GRID_PLAIN_CLASS(TColumnPlay, TVirtualColElement)

GRID_PLAIN_CLASS(TCheckBoxColumnPlay, TColumnPlay)

void TColumnPlay::Change()
{
    if (OnChange)
        OnChange(this);
}

ui::TRect TCheckBoxColumnPlay::BoxRect(const ui::TRect& cell, bool themed) const
{
    TCustomColumn* column = Column();
    int h = column ? static_cast<int>(column->Alignment()) : 2;
    int v = column ? static_cast<int>(column->VerticalAlignment()) : 1;
    int size = TGraphicsProvider::CheckBoxSize(themed);
    ui::TPoint p = TCalcProvider::AlignBox(size, size, cell, h, v, 2);
    return ui::Bounds(p.x, p.y, size, size);
}

void TCheckBoxColumnPlay::Toggle()
{
    FValue = !FValue;
    Change();
}

bool TCheckBoxColumnPlay::KeyPress(wchar_t key)
{
    if (key != L' ')
        return false;
    Toggle();
    return true;
}

bool TCheckBoxColumnPlay::Click(ui::TPoint point, int cellWidth, int cellHeight, bool themed)
{
    ui::TRect box = BoxRect(ui::Rect(0, 0, cellWidth, cellHeight), themed);
    if (!PtInRect(&box, point))
        return false;
    Toggle();
    return true;
}

} // namespace grid
