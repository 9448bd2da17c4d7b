// The check box of a TCheckBoxColumn cell driven from the grid: Space on the current cell, and a
// press and release on a cell's box. The keyboard and mouse code calls these entry points.
#include "grid/control/CustomGridViewControl.h"

#include "grid/editors/ColumnPlay.h"
#include "grid/view/ThemesSupport.h"

namespace grid {

namespace {

// The column's check-box element, wired to write its changes back through the grid. Columns
// without one, and columns the user may not edit, give nullptr: a read-only column's box does
// not change under the keyboard either.
TCheckBoxColumnPlay* CheckBoxPlay(TCustomGridViewControl& grid, int ACol)
{
    if (ACol < 0 || ACol >= grid.Columns()->Count())
        return nullptr;
    TCustomColumn* column = grid.Columns()->Items(ACol);
    if (!column->Options().Contains(TColumnOption::coEditing))
        return nullptr;
    auto* play = dynamic_cast<TCheckBoxColumnPlay*>(column->Play());
    if (play != nullptr && !play->OnChange)
        play->OnChange = [&grid](ui::TObject* sender) { grid.PlayValueOut(static_cast<TCheckBoxColumnPlay*>(sender)); };
    return play;
}

} // namespace

bool TCustomGridViewControl::HandleCheckBoxKey(wchar_t key)
{
    if (key != L' ' || FInputRowActive || FCurrentRow < 0 || FCurrentRow >= RowCount())
        return false;
    TCheckBoxColumnPlay* play = CheckBoxPlay(*this, FCurrentCol);
    if (play == nullptr)
        return false;
    play->SetCell(FCurrentCol, FCurrentRow);
    PlayValueIn(play);
    return play->KeyPress(key);
}

bool TCustomGridViewControl::HandleCheckBoxMouseDown(int x, int y)
{
    FCheckBoxPressCol = FCheckBoxPressRow = -1;
    int col = -1, row = -1;
    if (!CellAt(x, y, col, row) || row < 0 || row >= RowCount())
        return false;
    TCheckBoxColumnPlay* play = CheckBoxPlay(*this, col);
    if (play == nullptr)
        return false;
    ui::TRect box = play->BoxRect(CellRect(col, row), ThemesActive() && HandleAllocated());
    if (!PtInRect(&box, POINT{x, y}))
        return false;
    FCheckBoxPressCol = col;
    FCheckBoxPressRow = row;
    play->SetCell(col, row);
    play->SetPressed(true);
    InvalidateCell(col, row);
    return true;
}

int TCustomGridViewControl::ReleaseCheckBoxPress()
{
    int pressCol = FCheckBoxPressCol, pressRow = FCheckBoxPressRow;
    FCheckBoxPressCol = FCheckBoxPressRow = -1;
    if (pressCol < 0)
        return -1;
    if (TCheckBoxColumnPlay* play = CheckBoxPlay(*this, pressCol); play != nullptr)
        play->SetPressed(false);
    InvalidateCell(pressCol, pressRow);
    return pressRow;
}

bool TCustomGridViewControl::EndCheckBoxPress(int x, int y)
{
    int pressCol = FCheckBoxPressCol;
    int pressRow = ReleaseCheckBoxPress();
    if (pressRow < 0)
        return false;
    int col = -1, row = -1;
    if (!CellAt(x, y, col, row) || col != pressCol || row != pressRow || row >= RowCount())
        return false;
    TCheckBoxColumnPlay* play = CheckBoxPlay(*this, col);
    if (play == nullptr)
        return false;
    ui::TRect box = play->BoxRect(CellRect(col, row), ThemesActive() && HandleAllocated());
    return PtInRect(&box, POINT{x, y}) != FALSE;
}

bool TCustomGridViewControl::ClickCheckBox(int ACol, int ARow, int x, int y, bool pressedHere)
{
    TCheckBoxColumnPlay* play = CheckBoxPlay(*this, ACol);
    if (play == nullptr || ARow < 0 || ARow >= RowCount())
        return false;
    bool themed = ThemesActive() && HandleAllocated();
    ui::TRect cell = CellRect(ACol, ARow);
    ui::TRect box = play->BoxRect(cell, themed);
    if (!PtInRect(&box, POINT{x, y}))
        return false;
    // A release on the box whose press went down beside it is a different gesture: it is the
    // box's, but it flips nothing.
    if (pressedHere) {
        play->SetCell(ACol, ARow);
        PlayValueIn(play);
        play->Click(ui::Point(x - cell.left, y - cell.top), cell.right - cell.left, cell.bottom - cell.top, themed);
    }
    return true;
}

} // namespace grid
