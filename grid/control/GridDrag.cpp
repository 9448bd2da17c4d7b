// Moving a column by dragging its header: the drag box follows the pointer, the arrows mark
// where the column would land, and the drop moves (or hides) it.
#include "grid/control/GridInput.h"
#include "grid/popups/ColumnDragBox.h"
#include "grid/popups/ControlsCommon.h"
#include "ui/controls/ExtCtrls.h"

namespace grid {

void TCustomGridViewControl::CreateInputParts()
{
    RegisterGridCursors();
    FInput = std::make_unique<TGridInputState>();
    FInput->SearchTimer = new ui::TTimer(this);
    FInput->SearchTimer->SetEnabled(false);
    FInput->SearchTimer->SetInterval(kSearchResetMs);
    FInput->SearchTimer->SetOnTimer([this](ui::TObject*) { SearchTimerTick(); });
    FInput->DragBox = new TColumnDragBox(this, this);
    FInput->DragBox->SetParent(this);
    FInput->DragBox->OnMove = [this](ui::TObject*, int x, int y) { ColumnDragMove(x, y); };
    FInput->DragBox->OnDrop = [this](ui::TObject*, int x, int y) { ColumnDrop(x, y); };
    FInput->DragBox->OnCancel = [this](ui::TObject*) { EndColumnDrag(); };
    // The upper arrow hangs above the header pointing down, the lower one points up at it.
    FInput->DownArrow = new TDragArrow(this);
    FInput->DownArrow->SetParent(this);
    FInput->DownArrow->SetKind(TDragArrow::akDown);
    FInput->UpArrow = new TDragArrow(this);
    FInput->UpArrow->SetParent(this);
    FInput->UpArrow->SetKind(TDragArrow::akUp);
    FInput->FitHint = new THintWindow(this);
    FInput->FitHint->SetParent(this);
}

void TCustomGridViewControl::DestroyInputParts()
{
    if (!FInput)
        return;
    // They call back into the grid; they go while it is still whole.
    FInput->DragBox->OnCancel = nullptr;
    delete FInput->DragBox;
    delete FInput->DownArrow;
    delete FInput->UpArrow;
    delete FInput->FitHint;
    delete FInput->SearchTimer;
    FInput.reset();
}

TColumnDragBox* TCustomGridViewControl::DragBox() const { return FInput->DragBox; }
TDragArrow* TCustomGridViewControl::DragArrow(int which) const
{
    return which == 0 ? FInput->DownArrow : FInput->UpArrow;
}

void TCustomGridViewControl::StartColumnDrag(int ACol, int x, int y)
{
    TCustomColumn* column = FColumns->Items(ACol);
    FState |= gsColumnDragging;
    FInput->DragCol = ACol;
    FInput->DropCol = -1;
    SetHotHeader(-1);
    ui::TPoint corner = ClientToScreen(ui::Point(column->Left() - HorzScrollBar()->Position(), 0));
    TColumnDragBox* box = FInput->DragBox;
    box->SetBounds(corner.x, corner.y, column->Width(), FHeaderSize);
    box->Font()->Assign(*Font());
    ui::TPoint at = ClientToScreen(ui::Point(x, y));
    box->StartDrag(at.x, at.y, false, column);
    ColumnDragMove(at.x, at.y);
}

void TCustomGridViewControl::ColumnDragMove(int sx, int sy)
{
    if ((FState & gsColumnDragging) == 0)
        return;
    ui::TPoint p = ScreenToClient(ui::Point(sx, sy));
    TGridGeometry g = Geometry();
    int target = ui::PtInRectangle(DropBand(g), p) ? ColumnAtX(g, p.x) : -1;
    FInput->DropCol = target;
    if (target < 0) {
        FInput->DownArrow->Hide();
        FInput->UpArrow->Hide();
        SetGridCursor(crColumnNoDrag);
        return;
    }
    TCustomColumn* column = FColumns->Items(target);
    ui::TPoint edge = ClientToScreen(ui::Point(column->Left() - HorzScrollBar()->Position(), 0));
    FInput->DownArrow->SetBounds(edge.x - 4, edge.y - 12, 9, 9);
    FInput->UpArrow->SetBounds(edge.x - 4, edge.y + FHeaderSize - 1, 9, 9);
    for (TDragArrow* arrow : {FInput->DownArrow, FInput->UpArrow}) {
        arrow->Show();
        // Above the drag box, which was raised when the drag began; never activated.
        SetWindowPos(arrow->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    SetGridCursor(ui::crDefault);
}

void TCustomGridViewControl::ColumnDrop(int sx, int sy)
{
    if ((FState & gsColumnDragging) == 0)
        return;
    // The same band as the arrows: a drop lands where the arrows said, and only there.
    ColumnDragMove(sx, sy);
    int dragged = FInput->DragCol, target = FInput->DropCol;
    EndColumnDrag();
    if (dragged < 0 || dragged >= FColumns->Count())
        return;
    TCustomColumn* column = FColumns->Items(dragged);
    if (target >= 0) {
        FColumns->MoveColumn(column->Position(), FColumns->Items(target)->Position());
    } else if (FOptions.Contains(TGridOption::goCanHideColumn)) {
        // The last visible column stays: a grid without columns could not get one back.
        int visible = 0;
        for (int i = 0; i < FColumns->Count(); ++i)
            visible += FColumns->Items(i)->Visible() ? 1 : 0;
        if (visible > 1)
            column->SetVisible(false);
    }
}

void TCustomGridViewControl::EndColumnDrag()
{
    FState &= static_cast<uint16_t>(~gsColumnDragging);
    FInput->DragCol = -1;
    FInput->DropCol = -1;
    FInput->DownArrow->Hide();
    FInput->UpArrow->Hide();
    CancelPress();
    SetGridCursor(ui::crDefault);
}

} // namespace grid
