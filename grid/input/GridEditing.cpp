// The grid's side of in-place editing: when an editor opens on a cell or on the input row, how
// its text is taken back, and how it closes. The editor controls are in grid/editors.
#include "grid/view/CustomGridViewControl.h"

namespace grid {

// Until the columns carry editors there is nothing to open: the state stays "no editor", so
// every caller sees a closed editor and behaves as without one.
void TCustomGridViewControl::OpenCellEditor(int, int, const std::wstring&) {}

void TCustomGridViewControl::OpenInputEditor(int ACol, const std::wstring&)
{
    SetInputRowActive(true);
    if (ACol >= 0 && ACol < FColumns->Count())
        SetCurrentCell(ACol, FCurrentRow);
}

bool TCustomGridViewControl::CommitEdit() { return false; }

void TCustomGridViewControl::AcceptInput() {}

void TCustomGridViewControl::SetInputRowActive(bool value)
{
    FInputRowActive = value;
    InvalidateArea(TGridArea::gaInput);
    InvalidateArea(TGridArea::gaIndicator);
}

void TCustomGridViewControl::CloseEditor()
{
    FState &= static_cast<uint16_t>(~(gsCellEditing | gsInputEditing));
    FEditCol = -1;
    FEditRow = -1;
    FInputEditColumn = -1;
}

void TCustomGridViewControl::PlaceEditor() {}

} // namespace grid
