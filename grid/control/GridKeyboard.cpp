// The grid's keyboard: moving the current cell, Enter, typed characters (editor, check box,
// incremental search), and what gaining and losing the focus repaints.
#include "grid/control/GridInput.h"
#include "grid/popups/ColumnDragBox.h"
#include "ui/controls/ExtCtrls.h"
#include "ui/core/SysUtils.h"

#include <algorithm>
#include <windows.h>

namespace grid {

namespace {

// Upper case in the 8-bit code page, as the search compares.
std::string AnsiUpper(const std::wstring& text)
{
    std::string s = ui::WideToAnsi(text);
    if (!s.empty())
        CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

} // namespace

const std::wstring& TCustomGridViewControl::SearchText() const { return FInput->SearchText; }
ui::TTimer* TCustomGridViewControl::SearchTimer() const { return FInput->SearchTimer; }

void TCustomGridViewControl::MoveToRow(int ARow)
{
    if (ARow < 0 || ARow >= RowCount())
        return;
    // The input row goes first, so the data cell is the one selected and repainted.
    if (FInputRowActive)
        SetInputRowActive(false);
    SetCurrentCell(FCurrentCol, ARow);
}

void TCustomGridViewControl::SelectPreviousColumn()
{
    if (FCurrentCol < 0 || FCurrentCol >= FColumns->Count())
        return;
    for (int p = FColumns->Items(FCurrentCol)->Position() - 1; p >= 0; --p)
        if (TCustomColumn* c = FColumns->DisplayItems(p); c->Visible()) {
            SetCurrentCell(c->Index(), FCurrentRow);
            return;
        }
}

void TCustomGridViewControl::SelectNextColumn()
{
    if (FCurrentCol < 0 || FCurrentCol >= FColumns->Count())
        return;
    for (int p = FColumns->Items(FCurrentCol)->Position() + 1; p < FColumns->Count(); ++p)
        if (TCustomColumn* c = FColumns->DisplayItems(p); c->Visible()) {
            SetCurrentCell(c->Index(), FCurrentRow);
            return;
        }
}

void TCustomGridViewControl::KeyDown(WORD& key, ui::TShiftState shift)
{
    if (key == VK_ESCAPE && (FState & (gsColumnDragging | gsColumnSizing))) {
        // Escape gives up a drag in progress; nothing moves or changes width.
        if (FInput->DragBox->Dragging())
            FInput->DragBox->CancelDrag();
        CancelPress();
        key = 0;
        return;
    }
    if (RowCount() == 0)
        return;
    KeyMove(key, shift);
    TScrollView::KeyDown(key, shift);
}

void TCustomGridViewControl::KeyMove(WORD key, ui::TShiftState shift)
{
    TControlScrollBar* vert = VertScrollBar();
    int top = vert->Position();
    int shown = VisibleRowCount();
    int last = RowCount() - 1;
    int col = FCurrentCol;
    switch (key) {
    case VK_PRIOR:
        if (top < FCurrentRow) {
            SetCurrentCell(col, top, shift);
        } else {
            int row = std::max(0, FCurrentRow - shown);
            SetCurrentCell(col, row, shift);
            vert->SetPosition(row);
        }
        break;
    case VK_NEXT:
        if (RowCount() <= shown) {
            SetCurrentCell(col, last, shift);
        } else if (FCurrentRow < top + shown - 1) {
            SetCurrentCell(col, std::min(last, top + shown - 1), shift);
        } else {
            SetCurrentCell(col, std::min(last, FCurrentRow + shown), shift);
            vert->SetPosition(top + shown);
        }
        break;
    case VK_END:
        vert->SetPosition(vert->Max());
        SetCurrentCell(col, last, shift);
        break;
    case VK_HOME:
        vert->SetPosition(0);
        SetCurrentCell(col, 0, shift);
        break;
    case VK_LEFT: SelectPreviousColumn(); break;
    case VK_RIGHT: SelectNextColumn(); break;
    case VK_UP:
        if (FCurrentRow > 0 && !FInputRowActive) {
            if (FCurrentRow == top)
                vert->SetPosition(top - 1);
            SetCurrentCell(col, FCurrentRow - 1, shift);
        } else if (FCurrentRow == 0 && !FInputRowActive && FOptions.Contains(TGridOption::goInput) &&
                   FGridStyle == TGridStyle::gsReport) {
            SetInputRowActive(true);
        }
        break;
    case VK_DOWN:
        if (FInputRowActive) {
            // Row 0 lies below the input row whenever there are rows.
            SetInputRowActive(false);
            SetCurrentCell(col, 0);
        } else if (FCurrentRow < last) {
            ui::TRect data = DataRect();
            if (FCurrentRow >= top + shown - 1 || RowRect(FCurrentRow + 1).bottom > data.bottom)
                vert->SetPosition(top + 1);
            SetCurrentCell(col, FCurrentRow + 1, shift);
        }
        break;
    default: break;
    }
}

void TCustomGridViewControl::KeyPress(wchar_t& key)
{
    TScrollView::KeyPress(key);
    if (key == 0 || key == VK_ESCAPE)
        return;
    if (key == VK_RETURN) {
        if (FWantReturns)
            MoveAfterEnter();
        key = 0;
        return;
    }
    TypeChar(key);
}

void TCustomGridViewControl::TypeChar(wchar_t key)
{
    // Other control characters (Backspace, Tab, Ctrl+letter) are not text.
    if (key < L' ' || FCurrentCol < 0 || FCurrentCol >= FColumns->Count())
        return;
    TCustomColumn* column = FColumns->Items(FCurrentCol);
    bool rowExists = FCurrentRow >= 0 && FCurrentRow < RowCount();
    if (column->PlayClass() != nullptr && !FInputRowActive && rowExists)
        HandleCheckBoxKey(key);
    if (column->AcceptsKey(key)) {
        std::wstring initial(1, key);
        if (FInputRowActive)
            OpenInputEditor(FCurrentCol, initial);
        else
            OpenCellEditor(FCurrentCol, FCurrentRow, initial);
    }
    IncrementalSearch(key);
}

void TCustomGridViewControl::IncrementalSearch(wchar_t key)
{
    if (FInputRowActive || RowCount() == 0 || FColumns->Items(FCurrentCol)->Options().Contains(TColumnOption::coEditing))
        return;
    int searchCol = -1;
    for (int i = 0; i < FColumns->Count() && searchCol < 0; ++i)
        if (FColumns->Items(i)->Options().Contains(TColumnOption::coSearchColumn))
            searchCol = i;
    if (searchCol < 0)
        return;
    ui::TTimer* timer = FInput->SearchTimer;
    timer->SetEnabled(false);
    timer->SetEnabled(true);
    FInput->SearchText += key;
    std::string wanted = AnsiUpper(FInput->SearchText);
    int count = RowCount();
    int start = std::clamp(FCurrentRow + 1, 0, count);
    for (int n = 0; n < count; ++n) {
        int row = (start + n) % count;
        if (AnsiUpper(GetCellText(searchCol, row)).compare(0, wanted.size(), wanted) != 0)
            continue;
        MoveToRow(row);
        int top = VertScrollBar()->Position();
        if (row < top || row >= top + VisibleRowCount())
            VertScrollBar()->SetPosition(row);
        return;
    }
}

void TCustomGridViewControl::SearchTimerTick()
{
    FInput->SearchText.clear();
    FInput->SearchTimer->SetEnabled(false);
}

void TCustomGridViewControl::InvalidateFocusedCell() { FocusChanged(); }

void TCustomGridViewControl::FocusChanged()
{
    // The selection colour and the focus frame follow the focus.
    if (FInputRowActive)
        InvalidateArea(TGridArea::gaInput);
    if (FOptions.Contains(TGridOption::goSelectFullRow)) {
        int top = VertScrollBar()->Position();
        int end = std::min(RowCount(), top + VisibleRowCount() + 1);
        for (int r = top; r < end; ++r)
            if (RowSelected(r) || r == FCurrentRow)
                InvalidateRow(r);
    } else if (FCurrentCol >= 0 && FCurrentCol < FColumns->Count()) {
        InvalidateCell(FCurrentCol, FCurrentRow);
    }
}

void TCustomGridViewControl::DoEnter()
{
    FocusChanged();
    InvalidateArea(TGridArea::gaIndicator);
    TScrollView::DoEnter();
}

void TCustomGridViewControl::DoExit()
{
    // The grid's own editor taking the focus is not leaving the grid.
    HWND target = FInput->FocusTarget;
    bool toOwnChild = target != nullptr && HandleAllocated() && IsChild(Handle(), target);
    if (EditorOpen() && !toOwnChild) {
        CommitEdit();
        CloseEditor();
    }
    FocusChanged();
    TScrollView::DoExit();
}

void TCustomGridViewControl::BeforeScroll(uint8_t kind)
{
    TScrollView::BeforeScroll(kind);
    // An editor does not follow the content: it takes its text into the cell and closes.
    if (EditorOpen()) {
        CommitEdit();
        CloseEditor();
    }
}

void TCustomGridViewControl::FontChanged()
{
    // The editor was placed and styled for the old font.
    if (EditorOpen()) {
        CommitEdit();
        CloseEditor();
    }
    TScrollView::FontChanged();
}

} // namespace grid
