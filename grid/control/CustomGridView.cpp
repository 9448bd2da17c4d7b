// Published properties and events of the grid.
#include "grid/control/CustomGridView.h"

#include "grid/data/ColumnClasses.h"
#include "ui/core/ClassBuilder.h"

namespace grid {

const ui::TClassInfo& TCustomGridView::StaticClass()
{
    using C = TCustomGridView;
    static const ui::TClassInfo info = ui::TClassBuilder<C>(L"TCustomGridView", &TCustomGridViewControl::StaticClass())
        .Property(L"BorderStyle", &C::BorderStyle, &C::SetBorderStyle)
        .Property(L"GridStyle", &C::GridStyle, &C::SetGridStyle)
        .Property(L"GridLinesStyle", &C::GridLinesStyle, &C::SetGridLinesStyle)
        .Property(L"HeaderSize", &C::HeaderSize, &C::SetHeaderSize)
        .Property(L"HeaderStyle", &C::HeaderStyle, &C::SetHeaderStyle)
        .Property(L"HideScrollBar", &C::HideScrollBar, &C::SetHideScrollBar)
        .Property(L"InputSize", &C::InputSize, &C::SetInputSize)
        .Property(L"Options", &C::Options, &C::SetOptions)
        .Property(L"RowSize", &C::RowSize, &C::SetRowSize)
        .Property(L"SlideSize", &C::SlideSize, &C::SetSlideSize)
        .Property(L"SelectionMoveDirection", &C::SelectionMoveDirection, &C::SetSelectionMoveDirection)
        .Property(L"WantReturns", &C::WantReturns, &C::SetWantReturns)
        .Event<TSelectCellEvent>(L"OnSelectCell", &C::OnSelectCell)
        .Event<TCellClickEvent>(L"OnCellClick", &C::OnCellClick)
        .Event<THeaderClickEvent>(L"OnHeaderClick", &C::OnHeaderClick)
        .Event<TSortColumnEvent>(L"OnSortColumn", &C::OnSortColumn)
        .Event<TCellColoringEvent>(L"OnCellColoring", &C::OnCellColoring)
        .Event<TDrawCellBackgroundEvent>(L"OnDrawCellBackground", &C::OnDrawCellBackground)
        .Event<TCustomDrawCellEvent>(L"OnCustomDrawCell", &C::OnCustomDrawCell)
        .Event<TBeforeEditEvent>(L"OnBeforeEdit", &C::OnBeforeEdit)
        .Event<TAfterEditEvent>(L"OnAfterEdit", &C::OnAfterEdit)
        .Event<TGridEditEvent>(L"OnEdit", &C::OnEdit)
        .Event<TApplyCellEvent>(L"OnApplyCell", &C::OnApplyCell)
        .Event<TInputAcceptEvent>(L"OnInputAccept", &C::OnInputAccept)
        .Event<TMouseWheelUpDownEvent>(L"OnMouseWheelDown", &C::OnMouseWheelDown)
        .Event<TMouseWheelUpDownEvent>(L"OnMouseWheelUp", &C::OnMouseWheelUp)
        .Event<TDragDropEvent>(L"OnDragDrop", &C::OnDragDrop)
        .Event<TDragOverEvent>(L"OnDragOver", &C::OnDragOver)
        .Event<TStartDragEvent>(L"OnStartDrag", &C::OnStartDrag)
        .Event<TEndDragEvent>(L"OnEndDrag", &C::OnEndDrag)
        .Build();
    return info;
}

TCustomGridView::TCustomGridView(ui::TComponent* AOwner) : TCustomGridViewControl(AOwner)
{
    RegisterIncrementColumn();
}

} // namespace grid
