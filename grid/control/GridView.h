// The grid that holds its cells in memory: row operations, cell access, sorting, footer
// formulas and the change notification.
#pragma once

#include "grid/data/Cells.h"
#include "grid/popups/ControlsCommon.h"
#include "grid/control/CustomGridView.h"

#include <memory>

namespace grid {

using TChangeEvent = std::function<void(ui::TObject* Sender, int ACol, int ARow)>;

// The report grid the program places on its windows. Owns the cell store; the store follows the
// column collection's structure and reports cell changes back here.
class TGridView : public TCustomGridView {
    UI_PUBLISHED_CLASS
public:
    explicit TGridView(ui::TComponent* AOwner);
    ~TGridView() override;

    // Out-of-range coordinates end the call silently (empty text, nothing set).
    std::wstring GetCellText(int ACol, int ARow) override;
    void SetCellText(int ACol, int ARow, const std::wstring& text) override;
    // No bounds check: a row outside the rows raises the list index error.
    TColor GetCellColor(int ACol, int ARow) override;
    int RowCount() const override { return FCells->RowCount(); }
    bool PrepareCellFont(int ACol, int ARow, TCellValue& value) override;
    void SortColumn(TCustomColumn* column, bool ascending) override;
    // Appends Count rows; unless updating, they are queued for repainting.
    void AddRows(int Count) override;
    void FooterFormulas() override;
    void ClearRows() override;
    // Out-of-range rows end these calls silently.
    void DeleteRow(int ARow) override;
    void InsertRow(int ARow) override;
    void MoveRow(int FromRow, int ToRow) override;
    void PlayValueIn(ui::TComponent* element) override;
    void PlayValueOut(ui::TComponent* element) override;
    // A plain append: no default values and no scroll-range update.
    void AppendRows(int Count);

    // The cell at column index ACol and row ARow; the caller passes an existing cell.
    TCell* Cell(int ACol, int ARow) { return FCells->Cell(ACol, ARow); }
    TCells* Cells() const { return FCells.get(); }

    // A cell's value or colour changed while the grid was not updating.
    TChangeEvent OnChange;

    // The window that shows a cell's hint while the pointer rests on the cell.
    THintWindow* CellHintWindow() const { return FHintWindow; }
    void WndProc(ui::TMessage& message) override;

protected:
    virtual void DoChange(int ACol, int ARow);
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    // Shows the hint of the cell under (x, y) when it has one, else hides the hint window.
    void UpdateCellHint(int x, int y);

private:
    void CellChanged(int ACol, int ARow);

    std::unique_ptr<TCells> FCells;
    THintWindow* FHintWindow = nullptr;
    bool FTrackingLeave = false;
};

} // namespace grid
