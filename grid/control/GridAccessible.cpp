// The grid's accessibility tree: the table, its header and data rows, and their cells.
#include "grid/control/GridAccessible.h"

#include "grid/data/Columns.h"

namespace grid {

namespace {

// A screen reader reads a row as its cells in order.
constexpr const wchar_t* kCellSeparator = L"; ";

} // namespace

bool TCustomGridViewControl::AnswerAccessibleObject(ui::TMessage& message)
{
    message.Result = ui::TAccessible::Answer(new TGridAccessible(Handle(), TGridAccessible::kTable), message.WParam);
    return message.Result != 0;
}

TCustomGridViewControl* TGridAccessible::Grid() const { return dynamic_cast<TCustomGridViewControl*>(Control()); }

TCustomColumn* TGridAccessible::ColumnAt(int child) const
{
    TCustomGridViewControl* grid = Grid();
    if (grid == nullptr)
        return nullptr;
    int seen = 0;
    for (int position = 0; position < grid->Columns()->Count(); ++position) {
        TCustomColumn* column = grid->Columns()->DisplayItems(position);
        if (column->Visible() && ++seen == child)
            return column;
    }
    return nullptr;
}

int TGridAccessible::ChildCount()
{
    TCustomGridViewControl* grid = Grid();
    if (grid == nullptr)
        return 0;
    if (FRow == kTable)
        return grid->RowCount() + 1;
    if (FRow >= grid->RowCount())
        return 0; // the row went since the client asked for it
    return grid->Columns()->VisibleCount();
}

std::wstring TGridAccessible::CellText(int child)
{
    TCustomColumn* column = ColumnAt(child);
    if (column == nullptr)
        return {};
    if (FRow == kHeaderRow)
        return column->Header()->Caption();
    return Grid()->GetCellText(column->Index(), FRow);
}

std::wstring TGridAccessible::Name(int child)
{
    if (FRow == kTable)
        return child == CHILDID_SELF ? Grid()->Name() : std::wstring();
    if (child != CHILDID_SELF)
        return CellText(child);
    std::wstring row;
    for (int i = 1; i <= ChildCount(); ++i)
        row += (i > 1 ? kCellSeparator : L"") + CellText(i);
    return row;
}

std::wstring TGridAccessible::Value(int child)
{
    // The table's value says where the current cell is, as "column; row" (column by caption).
    if (FRow != kTable || child != CHILDID_SELF || Grid()->RowCount() == 0)
        return {};
    TCustomGridViewControl* grid = Grid();
    const int col = grid->CurrentCol();
    if (col < 0 || col >= grid->Columns()->Count())
        return {};
    return grid->Columns()->Items(col)->Header()->Caption() + kCellSeparator + std::to_wstring(grid->CurrentRow() + 1);
}

long TGridAccessible::Role(int child)
{
    if (FRow == kTable)
        return child == CHILDID_SELF ? ROLE_SYSTEM_TABLE : ROLE_SYSTEM_ROW;
    if (child == CHILDID_SELF)
        return ROLE_SYSTEM_ROW;
    return FRow == kHeaderRow ? ROLE_SYSTEM_COLUMNHEADER : ROLE_SYSTEM_CELL;
}

bool TGridAccessible::IsCurrentCell(int child) const
{
    TCustomGridViewControl* grid = Grid();
    TCustomColumn* column = ColumnAt(child);
    return FRow >= 0 && column != nullptr && FRow == grid->CurrentRow() && column->Index() == grid->CurrentCol();
}

long TGridAccessible::State(int child)
{
    TCustomGridViewControl* grid = Grid();
    long state = STATE_SYSTEM_READONLY;
    if (FRow == kHeaderRow && !grid->Options().Contains(TGridOption::goHeader))
        state |= STATE_SYSTEM_INVISIBLE;
    if (FRow >= 0 && child != CHILDID_SELF) {
        state |= STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
        if (IsCurrentCell(child))
            state |= STATE_SYSTEM_SELECTED | (grid->GridFocused() ? STATE_SYSTEM_FOCUSED : 0);
    }
    if (FRow == kTable && child == CHILDID_SELF && grid->GridFocused())
        state |= STATE_SYSTEM_FOCUSED;
    return state;
}

bool TGridAccessible::Location(int child, ui::TRect& screen)
{
    TCustomGridViewControl* grid = Grid();
    ui::TRect r = grid->ClientRect();
    if (FRow == kTable && child != CHILDID_SELF) {
        const int row = RowOfChild(child);
        const ui::TRect band = row == kHeaderRow ? grid->HeaderRect() : grid->RowRect(row);
        r.top = band.top;
        r.bottom = band.bottom;
    } else if (FRow != kTable && child == CHILDID_SELF) {
        const ui::TRect band = FRow == kHeaderRow ? grid->HeaderRect() : grid->RowRect(FRow);
        r.top = band.top;
        r.bottom = band.bottom;
    } else if (FRow != kTable) {
        // A cell: where its column paints it; a header cell spans the header's height.
        TCustomColumn* column = ColumnAt(child);
        r = grid->CellRect(column->Index(), FRow == kHeaderRow ? 0 : FRow);
        if (FRow == kHeaderRow) {
            r.top = grid->HeaderRect().top;
            r.bottom = grid->HeaderRect().bottom;
        }
    }
    const ui::TPoint topLeft = grid->ClientToScreen(ui::TPoint{r.left, r.top});
    screen = ui::Rect(topLeft.x, topLeft.y, topLeft.x + (r.right - r.left), topLeft.y + (r.bottom - r.top));
    return true;
}

IDispatch* TGridAccessible::ChildObject(int child)
{
    if (FRow != kTable)
        return nullptr; // cells are simple children
    return new TGridAccessible(Window(), RowOfChild(child)); // the reference is the caller's
}

IDispatch* TGridAccessible::ParentObject()
{
    if (FRow == kTable)
        return TAccessible::ParentObject();
    return new TGridAccessible(Window(), kTable);
}

int TGridAccessible::FocusedChild()
{
    TCustomGridViewControl* grid = Grid();
    if (!grid->GridFocused())
        return -1;
    if (FRow == kTable)
        return grid->RowCount() > 0 ? grid->CurrentRow() + 2 : CHILDID_SELF;
    for (int i = 1; i <= ChildCount(); ++i)
        if (IsCurrentCell(i))
            return i;
    return -1;
}

} // namespace grid
