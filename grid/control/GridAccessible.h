// What the grid shows, for screen readers and other programs: a table of rows and cells.
#pragma once

#include "grid/control/CustomGridViewControl.h"
#include "ui/com/Accessible.h"

namespace grid {

// One element of the grid's accessibility tree. The table (the grid's client area) has one row
// per child: child 1 the header row, then the data rows from the top (child 2 is row 0). A row's
// simple children are its cells, one per visible column in display order as on the screen: a
// header cell is named by its column's caption, a data cell by the text it shows. The current
// cell is selected, and focused while the grid has the focus; the table reports its row as the
// focused child. Places are screen rectangles, as the cells are painted.
class TGridAccessible : public ui::TAccessible {
public:
    static constexpr int kTable = -2;
    static constexpr int kHeaderRow = -1;

    // `row` is kTable, kHeaderRow or a data row index.
    TGridAccessible(HWND wnd, int row) : TAccessible(wnd), FRow(row) {}

protected:
    int ChildCount() override;
    std::wstring Name(int child) override;
    std::wstring Value(int child) override;
    long Role(int child) override;
    long State(int child) override;
    bool Location(int child, ui::TRect& screen) override;
    IDispatch* ChildObject(int child) override;
    IDispatch* ParentObject() override;
    int FocusedChild() override;

private:
    TCustomGridViewControl* Grid() const;
    // The column shown at a cell child's place (1-based among the visible columns).
    TCustomColumn* ColumnAt(int child) const;
    // The row a table child stands for.
    static int RowOfChild(int child) { return child == 1 ? kHeaderRow : child - 2; }
    std::wstring CellText(int child);
    bool IsCurrentCell(int child) const;

    int FRow;
};

} // namespace grid
