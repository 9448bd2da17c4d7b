// Column sizing by dragging a header edge: the inverted guide lines and the width taken on release.
#include "grid/control/GridInput.h"

#include "ui/core/ScopeGuard.h"

namespace grid {

void TCustomGridViewControl::InvertGuideLine(int x)
{
    if (!HandleAllocated())
        return;
    ui::TWindowDC dc(Handle(), ui::TWindowDC::waClient);
    if (dc == nullptr)
        return;
    PatBlt(dc, x, 0, 1, ClientHeight(), DSTINVERT);
}

void TCustomGridViewControl::StartSizing(int ACol)
{
    TCustomColumn* column = FColumns->Items(ACol);
    FState |= gsColumnSizing;
    FInput->SizingCol = ACol;
    FInput->SizingChange = 0;
    // What is waiting to be painted goes first, so the lines invert what the user sees.
    if (HandleAllocated())
        UpdateWindow(Handle());
    FInput->Guides = SizingGuideLines(ACol, column->Left(), column->Width(), HorzScrollBar()->Position(), 0);
    InvertGuideLine(FInput->Guides.First);
    InvertGuideLine(FInput->Guides.Second);
}

void TCustomGridViewControl::TrackSizing(int x)
{
    TCustomColumn* column = FColumns->Items(FInput->SizingCol);
    int hx = HorzScrollBar()->Position();
    int change = SizingWidthChange(column->Left(), column->Width(), hx, x);
    if (change == FInput->SizingChange)
        return;
    InvertGuideLine(FInput->Guides.Second);
    FInput->SizingChange = change;
    FInput->Guides = SizingGuideLines(FInput->SizingCol, column->Left(), column->Width(), hx, change);
    InvertGuideLine(FInput->Guides.Second);
}

void TCustomGridViewControl::EndSizing(bool apply)
{
    if ((FState & gsColumnSizing) == 0)
        return;
    InvertGuideLine(FInput->Guides.First);
    InvertGuideLine(FInput->Guides.Second);
    FState &= static_cast<uint16_t>(~gsColumnSizing);
    int col = FInput->SizingCol, change = FInput->SizingChange;
    FInput->SizingCol = -1;
    FInput->SizingChange = 0;
    if (apply && change != 0) {
        TCustomColumn* column = FColumns->Items(col);
        column->SetWidth(column->Width() + change);
    }
    // Paints that came while the lines were up were left out to keep the lines intact.
    Invalidate();
}

} // namespace grid
