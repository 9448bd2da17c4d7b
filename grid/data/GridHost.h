// What the columns and the cell store need of the grid that shows them, as a small interface:
// the data units report changes and ask for colours through it and never include the grid's
// headers, so the dependency runs one way (view on data).
#pragma once

#include "grid/common/GridCommon.h"

namespace ui {
class TComponent;
}

namespace grid {

class TColumns;
class TCustomColumn;

class TGridHost {
public:
    // The grid as a component: the columns' parent in stored descriptions.
    virtual ui::TComponent* HostComponent() = 0;
    // The collection a column read from a description joins.
    virtual TColumns* HostColumns() = 0;
    // The grid is reading its description / lives in a designer.
    virtual bool HostLoading() const = 0;
    virtual bool HostDesigning() const = 0;
    // Width of the indicator left of the first column (0 without one).
    virtual int IndicatorWidth() const = 0;
    // A column's strip of the data area needs painting again.
    virtual void InvalidateColumnData(TCustomColumn* column) = 0;
    // The colours a cell is drawn with: its own or the selection's.
    virtual TColor CellBackColor(int ACol, int ARow) = 0;
    virtual TColor CellTextColor(int ACol, int ARow) = 0;

protected:
    ~TGridHost() = default;
};

} // namespace grid
