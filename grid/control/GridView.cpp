// The in-memory grid: row operations, cell access, sorting and footer formulas.
#include "grid/control/GridView.h"

#include "grid/editors/ColumnPlay.h"

#include "grid/data/ColumnClasses.h"
#include "grid/view/Displays.h"
#include "ui/core/ClassBuilder.h"
#include "ui/controls/MouseLeave.h"

#include <algorithm>

namespace grid {

namespace {

// The index errors of the row and cell operations. They are raised and caught inside the
// operation: an out-of-range call simply has no effect.
class EGridBoundsError : public ui::Exception {
public:
    using ui::Exception::Exception;
};

bool RowInBounds(int row, int rowCount)
{
    try {
        if (row < 0 || row > rowCount - 1)
            throw EGridBoundsError(ui::Format(L"Row out of bounds (%d)", row));
        return true;
    } catch (const EGridBoundsError&) {
        return false;
    }
}

bool CellInBounds(int col, int row, int colCount, int rowCount)
{
    try {
        if (row < 0 || row > rowCount - 1 || col < 0 || col > colCount - 1)
            throw EGridBoundsError(ui::Format(L"Cell out of bounds (%d, %d)", col, row));
        return true;
    } catch (const EGridBoundsError&) {
        return false;
    }
}

} // namespace

const ui::TClassInfo& TGridView::StaticClass()
{
    static const ui::TClassInfo info = ui::TClassBuilder<TGridView>(L"TGridView", &TCustomGridView::StaticClass())
        .Event(L"OnChange", &TGridView::OnChange)
        .Build();
    return info;
}

TGridView::TGridView(ui::TComponent* AOwner)
    : TCustomGridView(AOwner), FCells(std::make_unique<TCells>(Columns(), this))
{
    RegisterColumnClasses();
    FHintWindow = new THintWindow(this);
    FHintWindow->SetParent(this);
    FCells->OnChange = [this](TCells*, int ACol, int ARow) { CellChanged(ACol, ARow); };
    Columns()->OnStructureChange = [this](ui::TObject*, int action, int index1, int index2) {
        if (action == saRemoved || action == saCleared)
            CloseEditor();
        FCells->StructureChanged(action, index1, index2);
        if (FCells->RowCount() == 0) {
            ClearRowMarks();
            KeepCurrentCellInRows();
        }
    };
}

TGridView::~TGridView()
{
    // The columns outlive the store (the base class owns them): stop them reaching it.
    Columns()->OnStructureChange = nullptr;
    delete FHintWindow;
    FHintWindow = nullptr;
    FCells.reset();
}

void TGridView::MouseMove(ui::TShiftState shift, int x, int y)
{
    TCustomGridView::MouseMove(shift, x, y);
    ui::TrackMouseLeave(HandleAllocated() ? Handle() : nullptr, FTrackingLeave);
    UpdateCellHint(x, y);
}

void TGridView::WndProc(ui::TMessage& message)
{
    if (message.Msg == WM_MOUSELEAVE) {
        FTrackingLeave = false;
        FHintWindow->ReleaseHandleIfShown();
    }
    TCustomGridView::WndProc(message);
}

void TGridView::UpdateCellHint(int x, int y)
{
    int col = -1, row = -1;
    if (CellAt(x, y, col, row) && row >= 0 && row < RowCount() && col >= 0 && col < Columns()->Count()) {
        std::string hint = FCells->Peek(col, row)->Hint();
        if (!hint.empty()) {
            std::wstring text = ui::AnsiToWide(hint);
            TCustomColumn* column = Columns()->Items(col);
            ui::TRect cell = CellRect(col, row);
            ui::TPoint at = ClientToScreen(ui::Point(cell.left + column->Width(), cell.top - 20));
            ui::TRect size = FHintWindow->CalcHintRect(250, text);
            FHintWindow->ActivateHint(ui::Bounds(at.x, at.y, ui::RectWidth(size), ui::RectHeight(size)), text);
            return;
        }
    }
    FHintWindow->ReleaseHandleIfShown();
}

void TGridView::CellChanged(int ACol, int ARow)
{
    if (Updating())
        return;
    InvalidateCell(ACol, ARow);
    DoChange(ACol, ARow);
}

void TGridView::DoChange(int ACol, int ARow)
{
    if (OnChange)
        OnChange(this, ACol, ARow);
}

std::wstring TGridView::GetCellText(int ACol, int ARow)
{
    if (!CellInBounds(ACol, ARow, Columns()->Count(), RowCount()))
        return {};
    return FCells->Read(ACol, ARow)->AsString();
}

void TGridView::SetCellText(int ACol, int ARow, const std::wstring& text)
{
    if (!CellInBounds(ACol, ARow, Columns()->Count(), RowCount()))
        return;
    if (FCells->Read(ACol, ARow)->AsString() != text)
        FCells->Cell(ACol, ARow)->SetAsString(text);
}

TColor TGridView::GetCellColor(int ACol, int ARow) { return FCells->Read(ACol, ARow)->Color(); }

bool TGridView::PrepareCellFont(int ACol, int ARow, TCellValue& value)
{
    bool result = TCustomGridView::PrepareCellFont(ACol, ARow, value);
    TCellKind kind = Columns()->Items(ACol)->CellKind();
    if (kind == ckRowNumber) {
        value.Int = ARow;
        return true;
    }
    const TCell* cell = FCells->Peek(ACol, ARow);
    switch (kind) {
    case ckPicture: value.Picture = reinterpret_cast<ui::TGraphic*>(cell->Data()); break;
    case ckBoolean: value.Bool = cell->AsBoolean(); break;
    case ckDate: value.Date = cell->AsDateTime(); break;
    case ckFloat: value.Float = cell->AsFloat(); break;
    case ckInteger: value.Int = cell->AsInteger(); break;
    case ckText: value.Text = cell->AsString(); break;
    default: return result;
    }
    value.HasHint = cell->HasHint();
    return true;
}

void TGridView::SortColumn(TCustomColumn* column, bool ascending)
{
    if (column->Options().Contains(TColumnOption::coCanSort)) {
        FCells->SortRows(column->Index(), column->SortType(), !ascending);
        if (RowCount() > 0)
            InvalidateArea(TGridArea::gaData);
    }
    CloseEditor();
}

void TGridView::AddRows(int Count)
{
    if (Count <= 0)
        return;
    FCells->AddRows(Count);
    int first = RowCount() - Count, last = RowCount() - 1;
    InsertRowMarks(SelectionMarkCount(), Count);
    // The row above the new ones changes with them when grid lines are shown (its line may be
    // the last one). Without a window there is nothing to invalidate, and working out the row's
    // rectangle would cost an append more than the append itself.
    const bool rowAbove = Options().Contains(TGridOption::goGrid) && first > 0 && HandleAllocated();
    if (!Updating() && HandleAllocated()) {
        // One band for all new rows and the row above: the same pixels as invalidating each row,
        // in one round trip to the window server.
        ui::TRect band = RowRect(rowAbove ? first - 1 : first);
        band.bottom = RowRect(last).bottom;
        InvalidateGridRect(band);
    } else if (rowAbove) {
        InvalidateRow(first - 1);
    }
    if (Options().Contains(TGridOption::goUseDefaultValues))
        for (int r = first; r <= last; ++r)
            for (int i = 0; i < Columns()->Count(); ++i)
                if (const std::wstring& value = Columns()->Items(i)->DefaultValue(); !value.empty())
                    Cell(i, r)->SetAsString(value);
    UpdateVertScrollRange();
}

void TGridView::AppendRows(int Count)
{
    if (Count <= 0)
        return;
    FCells->AddRows(Count);
    InsertRowMarks(SelectionMarkCount(), Count);
    Invalidate();
    PlaceEditor();
}

void TGridView::DeleteRow(int ARow)
{
    if (!RowInBounds(ARow, RowCount()))
        return;
    if (ARow == EditRow())
        CloseEditor();
    FCells->DeleteRow(ARow);
    EraseRowMark(ARow);
    RowsMovedUpFrom(ARow);
    UpdateVertScrollRange();
    if (ARow == CurrentRow())
        CloseEditor();
    else
        PlaceEditor();
    KeepCurrentCellInRows();
}

void TGridView::InsertRow(int ARow)
{
    if (!RowInBounds(ARow, RowCount()))
        return;
    FCells->InsertRow(ARow);
    InsertRowMarks(ARow, 1);
    SetCurrentCell(CurrentCol(), CurrentRow() + 1);
    Invalidate();
    PlaceEditor();
}

void TGridView::MoveRow(int FromRow, int ToRow)
{
    if (!RowInBounds(FromRow, RowCount()) || !RowInBounds(ToRow, RowCount()))
        return;
    FCells->MoveRow(FromRow, ToRow);
    MoveRowMark(FromRow, ToRow);
    Invalidate();
    CloseEditor();
}

void TGridView::ClearRows()
{
    TCustomGridView::ClearRows(); // the selection marks
    FCells->Clear();
    CloseEditor();
    KeepCurrentCellInRows();
    Invalidate();
    UpdateVertScrollRange();
}

void TGridView::FooterFormulas()
{
    for (int i = 0; i < Columns()->Count(); ++i) {
        TCustomColumn* column = Columns()->Items(i);
        TFormulaKind kind = column->FormulaKind();
        if (kind == TFormulaKind::fkNone)
            continue;
        double sum = 0, maximum = 0, minimum = 0;
        for (int r = 0; r < RowCount(); ++r) {
            double v = FCells->Peek(i, r)->AsFloat();
            sum += v;
            maximum = std::max(maximum, v);
            minimum = std::min(minimum, v);
        }
        double value = 0;
        switch (kind) {
        // The average of no rows is 0, not a division by zero.
        case TFormulaKind::fkAverage: value = RowCount() > 0 ? sum / RowCount() : 0; break;
        case TFormulaKind::fkMaximum: value = maximum; break;
        case TFormulaKind::fkMinimum: value = minimum; break;
        default: value = sum; break;
        }
        column->Footer()->SetCaption(FloatToStr(value));
    }
}

void TGridView::PlayValueIn(ui::TComponent* element)
{
    auto* play = dynamic_cast<TCheckBoxColumnPlay*>(element);
    if (play == nullptr || play->Col() < 0 || play->Col() >= Columns()->Count() || play->Row() < 0 ||
        play->Row() >= RowCount())
        return;
    play->SetValue(FCells->Read(play->Col(), play->Row())->AsBoolean());
}

void TGridView::PlayValueOut(ui::TComponent* element)
{
    auto* play = dynamic_cast<TCheckBoxColumnPlay*>(element);
    if (play == nullptr || play->Col() < 0 || play->Col() >= Columns()->Count() || play->Row() < 0 ||
        play->Row() >= RowCount())
        return;
    FCells->Cell(play->Col(), play->Row())->SetAsBoolean(play->Value());
}

} // namespace grid
