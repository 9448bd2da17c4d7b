// The grid's side of in-place editing: when an editor opens on a cell or on the input row, how
// its text is taken back, and how it closes. The editor controls are in grid/editors.
//
// At most one editor is open. While it is, the grid holds the editor's OnEdit, OnEnter, OnExit
// and OnKeyDown; CloseEditor lets go of them before the window hides, so that the focus moving
// away from a closing editor never re-enters the closing path.
#include "grid/control/CustomGridViewControl.h"

#include "grid/editors/CellEditors.h"

#include <algorithm>

namespace grid {

void TCustomGridViewControl::DoBeforeEdit(int ACol, int ARow, bool& Accept)
{
    if (OnBeforeEdit)
        OnBeforeEdit(this, ACol, ARow, Accept);
}

void TCustomGridViewControl::DoAfterEdit(int ACol, int ARow, const std::wstring& Value, bool& Accept)
{
    if (OnAfterEdit)
        OnAfterEdit(this, ACol, ARow, Value, Accept);
}

void TCustomGridViewControl::DoEdit(int ACol, int ARow, const std::wstring& Value)
{
    if (OnEdit)
        OnEdit(this, ACol, ARow, Value);
}

void TCustomGridViewControl::DoInputAccept(bool& Accept)
{
    if (OnInputAccept)
        OnInputAccept(this, Accept);
}

void TCustomGridViewControl::AttachEditor(TCellEditor* editor, TCustomColumn* column, int margin, TColor color)
{
    FEditor = editor;
    editor->SetBorderStyle(TEditorBorderStyle::bsNone);
    editor->SetParent(this);
    editor->SetAlignment(column->Alignment());
    editor->SetVerticalAlignment(column->VerticalAlignment());
    editor->SetMargin(margin);
    editor->OnEdit = [this](ui::TObject*, const std::wstring& value) {
        if (FState & gsInputEditing)
            DoEdit(FInputEditColumn, -1, value);
        else
            DoEdit(FEditCol, FEditRow, value);
    };
    // The selection colour follows the focus of the grid or its editor.
    editor->OnEnter = [this](ui::TObject*) { InvalidateFocusedCell(); };
    editor->OnExit = [this](ui::TObject*) { EditorExit(); };
    editor->OnKeyDown = [this](ui::TObject*, WORD& key, ui::TShiftState shift) { EditorKeyDown(key, shift); };
    editor->SetColor(color);
}

void TCustomGridViewControl::OpenCellEditor(int ACol, int ARow, const std::wstring& initial)
{
    if ((FState & gsCellEditing) && FEditCol == ACol && FEditRow == ARow)
        return;
    if (ARow < 0 || ARow >= RowCount() || ACol < 0 || ACol >= FColumns->Count())
        return;
    bool accept = true;
    DoBeforeEdit(ACol, ARow, accept);
    TCustomColumn* column = FColumns->Items(ACol);
    auto* editor = dynamic_cast<TCellEditor*>(column->Editor());
    if (!accept || !column->Options().Contains(TColumnOption::coEditing) || editor == nullptr)
        return;
    if (EditorOpen()) {
        CommitEdit();
        CloseEditor();
    }
    FState |= gsCellEditing;
    AttachEditor(editor, column, -1, GetCellColor(ACol, ARow));
    column->PrepareEditor();
    editor->Font()->SetColor(column->Font()->Color());
    FEditCol = ACol;
    FEditRow = ARow;
    editor->SetAsText(initial.empty() ? GetCellText(ACol, ARow) : initial);
    PlaceEditor();
    editor->BeginEdit();
    // A typed character that opened the editor stays unselected, so the next one is added to
    // it instead of replacing it.
    if (initial.empty() && column->Options().Contains(TColumnOption::coEditorAutoSelect))
        editor->SelectAll();
}

void TCustomGridViewControl::OpenInputEditor(int ACol, const std::wstring& initial)
{
    SetInputRowActive(true);
    if (ACol < 0 || ACol >= FColumns->Count())
        return;
    SetCurrentCell(ACol, FCurrentRow);
    TCustomColumn* column = FColumns->Items(ACol);
    auto* editor = dynamic_cast<TCellEditor*>(column->Editor());
    if (!column->Options().Contains(TColumnOption::coCanInput) || editor == nullptr)
        return;
    if ((FState & gsInputEditing) && FInputEditColumn == ACol)
        return;
    if (EditorOpen()) {
        CommitEdit();
        CloseEditor();
    }
    FState |= gsInputEditing;
    FInputEditColumn = ACol;
    column->SetInputEditing(true);
    AttachEditor(editor, column, 0, column->Color());
    column->PrepareEditor();
    editor->Font()->SetColor(column->Font()->Color());
    editor->SetAsText(initial.empty() ? column->InputText() : initial);
    PlaceEditor();
    editor->BeginEdit();
    if (initial.empty() && column->Options().Contains(TColumnOption::coEditorAutoSelect))
        editor->SelectAll();
}

bool TCustomGridViewControl::CommitEdit()
{
    if (FEditor == nullptr)
        return false;
    std::wstring text = FEditor->AsText();
    if (FState & gsCellEditing) {
        if (FEditCol < 0 || FEditCol >= FColumns->Count())
            return false;
        if (FEditRow >= 0 && FEditRow < RowCount() && text == GetCellText(FEditCol, FEditRow))
            return false;
        bool accept = true;
        DoAfterEdit(FEditCol, FEditRow, text, accept);
        if (RowCount() == 0 || FEditRow >= RowCount())
            return false;
        if (accept)
            SetCellText(FEditCol, FEditRow, text);
        return true;
    }
    if ((FState & gsInputEditing) && FInputEditColumn >= 0 && FInputEditColumn < FColumns->Count()) {
        TCustomColumn* column = FColumns->Items(FInputEditColumn);
        column->SetInputText(text);
        column->SetInputEditing(false);
        return true;
    }
    return false;
}

void TCustomGridViewControl::AcceptInput()
{
    bool accept = true;
    DoInputAccept(accept);
    if (!accept)
        return;
    AddRows(1);
    int row = RowCount() - 1;
    for (int i = 0; i < FColumns->Count(); ++i) {
        TCustomColumn* column = FColumns->Items(i);
        std::wstring text = column->InputText().empty() ? column->DefaultValue() : column->InputText();
        if (!text.empty())
            SetCellText(i, row, text);
        column->SetInputText(column->DefaultValue());
    }
}

void TCustomGridViewControl::SetInputRowActive(bool value)
{
    FInputRowActive = value;
    InvalidateArea(TGridArea::gaInput);
    InvalidateArea(TGridArea::gaIndicator);
    // The data row's selection looks different while the input row holds it.
    if (FOptions.Contains(TGridOption::goSelectFullRow))
        InvalidateRow(FCurrentRow);
    else if (FCurrentCol >= 0 && FCurrentCol < FColumns->Count())
        InvalidateCell(FCurrentCol, FCurrentRow);
}

void TCustomGridViewControl::CloseEditor()
{
    TCellEditor* editor = FEditor;
    bool cell = (FState & gsCellEditing) != 0;
    int col = FEditCol, row = FEditRow, inputCol = FInputEditColumn;
    FState &= static_cast<uint16_t>(~(gsCellEditing | gsInputEditing));
    FEditCol = -1;
    FEditRow = -1;
    FInputEditColumn = -1;
    FEditor = nullptr;
    if (editor == nullptr)
        return;
    editor->OnEdit = nullptr;
    editor->OnEnter = nullptr;
    editor->OnExit = nullptr;
    editor->OnKeyDown = nullptr;
    bool hadFocus = editor->HandleAllocated() && GetFocus() == editor->Handle();
    if (editor->HandleAllocated())
        SetWindowPos(editor->Handle(), nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    editor->SetVisible(false);
    // A hidden window must not keep the keyboard: the grid takes it back.
    if (hadFocus && HandleAllocated() && CanFocus())
        SetFocus();
    if (cell) {
        if (col < FColumns->Count())
            InvalidateCell(col, row);
    } else if (inputCol >= 0 && inputCol < FColumns->Count()) {
        TCustomColumn* column = FColumns->Items(inputCol);
        column->SetInputEditing(false);
        InvalidateColumnPart(column, TGridArea::gaInput);
    }
}

void TCustomGridViewControl::PlaceEditor()
{
    if (FEditor == nullptr || !HandleAllocated())
        return;
    ui::TRect r{};
    TGridLayout l = Layout();
    if (FState & gsInputEditing) {
        TCustomColumn* column = FColumns->Items(FInputEditColumn);
        r = l.InputCellRect(column->Left(), column->Width());
    } else {
        r = CellRect(FEditCol, FEditRow);
        if (r.top < l.DataRect().top) {
            if (FEditor->HandleAllocated())
                SetWindowPos(FEditor->Handle(), nullptr, 0, 0, 0, 0,
                             SWP_HIDEWINDOW | SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return;
        }
    }
    InflateRect(&r, -1, -1);
    r.left = std::max({r.left, l.DataRect().left, 0L});
    FEditor->SetBounds(r.left, r.top, std::max(0L, r.right - r.left), std::max(0L, r.bottom - r.top));
    SetWindowPos(FEditor->Handle(), HWND_TOP, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FEditor->SetVisible(true);
    // Shown without redrawing what lies under it; the editor paints itself in full.
    FEditor->Invalidate();
    if (!FEditor->Focused() && FEditor->CanFocus())
        FEditor->SetFocus();
}

void TCustomGridViewControl::MoveAfterEnter()
{
    switch (FSelectionMoveDirection) {
    // Up stops at the first row: row -1 would leave no row current.
    case TSelectionMoveDirection::mdUp:
        if (FCurrentRow > 0)
            SetCurrentCell(FCurrentCol, FCurrentRow - 1);
        break;
    case TSelectionMoveDirection::mdDown:
        if (FCurrentRow + 1 < RowCount())
            SetCurrentCell(FCurrentCol, FCurrentRow + 1);
        break;
    case TSelectionMoveDirection::mdLeft: SelectPreviousColumn(); break;
    case TSelectionMoveDirection::mdRight: SelectNextColumn(); break;
    case TSelectionMoveDirection::mdNone: break;
    }
}

void TCustomGridViewControl::EditorKeyDown(WORD& key, ui::TShiftState shift)
{
    TCellEditor* editor = FEditor;
    if (editor == nullptr)
        return;
    switch (key) {
    case VK_RETURN:
        key = 0;
        if (FState & gsInputEditing) {
            // The input row stays open for the next row: its text becomes a row, then the
            // editor starts again from empty.
            int inputCol = FInputEditColumn;
            int rows = RowCount();
            CommitEdit();
            editor->Clear();
            AcceptInput();
            if (inputCol >= 0 && inputCol < FColumns->Count()) {
                TCustomColumn* column = FColumns->Items(inputCol);
                column->SetInputEditing(true);
                // A row that was refused leaves what was typed where it was.
                if (RowCount() == rows)
                    editor->SetAsText(column->InputText());
            }
            editor->SelectAll();
            return;
        }
        CommitEdit();
        CloseEditor();
        if (CanFocus())
            SetFocus();
        MoveAfterEnter();
        return;
    case VK_ESCAPE:
        key = 0;
        CloseEditor();
        if (CanFocus())
            SetFocus();
        return;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        // A check box has no caret to move: the arrows move the grid's selection instead.
        if (dynamic_cast<TCheckBoxEditor*>(editor) != nullptr) {
            WORD arrow = key;
            key = 0;
            CloseEditor();
            if (CanFocus())
                SetFocus();
            (void)shift;
            Perform(WM_KEYDOWN, arrow, 0);
        }
        return;
    default:
        return;
    }
}

void TCustomGridViewControl::EditorExit()
{
    if (FEditor == nullptr)
        return;
    // The focus moving into the editor's own parts (its button, its popup) is not leaving it.
    HWND target = FEditor->FocusTarget();
    if (target != nullptr && FEditor->HandleAllocated() &&
        (target == FEditor->Handle() || IsChild(FEditor->Handle(), target)))
        return;
    CommitEdit();
    CloseEditor();
}

} // namespace grid
