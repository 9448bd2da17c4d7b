// The grid's mouse: presses, moves and releases by area, hot tracking, cursors, the text-fit
// hint, the wheel and the double click.
#include "grid/control/GridInput.h"
#include "grid/popups/ColumnDragBox.h"
#include "grid/popups/ControlsCommon.h"
#include "ui/controls/ExtCtrls.h"
#include "ui/controls/MouseLeave.h"
#include "ui/core/ScopeGuard.h"
#include "ui/graphics/GdiGuards.h"

#include <algorithm>
#include <windowsx.h>

namespace grid {

namespace {

// The width of a text in a font, measured on a screen device context.
int MeasureText(const ui::TFont& font, const std::wstring& text)
{
    ui::TWindowDC dc(nullptr, ui::TWindowDC::waClient);
    if (dc == nullptr)
        return 0;
    ui::TSelectObject selected(dc, const_cast<ui::TFont&>(font).Handle());
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

} // namespace

void RegisterGridCursors()
{
    struct {
        ui::TCursor Number;
        const wchar_t* Resource;
        LPCWSTR Fallback;
    } cursors[] = {{crHorzSplit, L"HORZSPLIT", IDC_SIZEWE},
                   {crColumnNoDrag, L"COLUMNNODRAG", IDC_NO},
                   {crIndicatorSelect, L"INDICATORSELECT", IDC_ARROW}};
    for (auto& c : cursors)
        RegisterCursorOrFallback(c.Number, c.Resource, c.Fallback);
}

TGridGeometry TCustomGridViewControl::Geometry() const
{
    TGridGeometry g;
    g.Layout = Layout();
    g.Style = FGridStyle;
    g.SlideSize = FSlideSize;
    g.Columns.reserve(static_cast<size_t>(FColumns->Count()));
    for (int p = 0; p < FColumns->Count(); ++p) {
        const TCustomColumn* c = FColumns->DisplayItems(p);
        const TSlideBounds* s = c->SlideBounds();
        TColumnSpan span;
        span.Index = c->Index();
        span.Left = c->Left();
        span.Width = c->Width();
        span.Visible = c->Visible();
        span.FixedSize = c->Options().Contains(TColumnOption::coFixedSize);
        span.Slide = ui::Rect(s->Left(), s->Top(), s->Left() + s->Width(), s->Top() + s->Height());
        g.Columns.push_back(span);
    }
    return g;
}

TGridHit TCustomGridViewControl::HitTest(int x, int y) const { return grid::HitTest(Geometry(), x, y); }

int TCustomGridViewControl::HotCol() const { return FInput->HotCol; }
int TCustomGridViewControl::HotRow() const { return FInput->HotRow; }
int TCustomGridViewControl::HotHeader() const { return FInput->HotHeader; }
int TCustomGridViewControl::SizingColumn() const { return FInput->SizingCol; }
int TCustomGridViewControl::SizingChange() const { return FInput->SizingChange; }
int TCustomGridViewControl::DraggedColumn() const { return FInput->DragCol; }
THintWindow* TCustomGridViewControl::TextFitHint() const { return FInput->FitHint; }

bool TCustomGridViewControl::DesignHitTest(int x, int y) const
{
    // A press that started in the header strip owns every message until its release.
    if ((FState & (gsColumnSizing | gsHeaderPressed)) != 0 || FInput->Pressed)
        return true;
    return FOptions.Contains(TGridOption::goHeader) && y >= 0 && y < FHeaderSize && x >= 0 && x < ClientWidth();
}

bool TCustomGridViewControl::LeftToDesigner(ui::TMessage& message)
{
    bool wheel = message.Msg == WM_MOUSEWHEEL || message.Msg == WM_MOUSEHWHEEL;
    bool mouse = (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST) || wheel;
    if (!mouse || !IsDesigning())
        return false;
    ui::TPoint p = ui::Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
    if (wheel)
        p = ScreenToClient(p);
    if (DesignHitTest(p.x, p.y))
        return false;
    DefaultHandler(message);
    return true;
}

bool TCustomGridViewControl::HandleInputMessage(ui::TMessage& message)
{
    // In design mode the grid takes the mouse only to size columns in the header strip; the
    // rest of its surface is the designer's (it selects the grid rather than a cell).
    if (LeftToDesigner(message))
        return true;
    switch (message.Msg) {
    case WM_LBUTTONDBLCLK:
        FInput->DblClickPoint = ui::Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
        break;
    case WM_MOUSELEAVE:
        FInput->TrackingLeave = false;
        MouseLeft();
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        // The base class lets the capture go before the release reaches MouseUp: that is the
        // press ending, not the mouse lost to another window.
        FInput->Releasing = true;
        ui::TAssignOnExit<bool> reset(FInput->Releasing, false);
        TScrollView::WndProc(message);
        return true;
    }
    case WM_CAPTURECHANGED:
        // A press that loses the mouse to another window cannot finish: sizing applies nothing.
        // (The drag box taking the mouse from the grid is the drag going on.)
        if (!FInput->Releasing && reinterpret_cast<HWND>(message.LParam) != Handle() &&
            (FState & gsColumnDragging) == 0)
            CancelPress();
        break;
    case WM_CANCELMODE:
        CancelPress();
        break;
    case WM_KILLFOCUS: FInput->FocusTarget = reinterpret_cast<HWND>(message.WParam); break;
    case WM_GETDLGCODE: {
        message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        // With WantReturns the grid takes Enter too, so a dialog's default button does not.
        const MSG* msg = reinterpret_cast<const MSG*>(message.LParam);
        if (FWantReturns && msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
            message.Result |= DLGC_WANTMESSAGE;
        return true;
    }
    default: break;
    }
    return false;
}

void TCustomGridViewControl::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    // The second press of a double click, and a right press that would drop a multi-row
    // selection, are left alone entirely.
    if (shift.Contains(ui::TShiftStateFlag::ssDouble))
        return;
    if (button == ui::TMouseButton::mbRight && (FState & gsMultiSelection))
        return;
    if (!IsDesigning() && CanFocus() && !Focused())
        SetFocus();
    if (FColumns->Count() > 0) {
        if (EditorOpen()) {
            CommitEdit();
            CloseEditor();
        }
        if (button == ui::TMouseButton::mbLeft || button == ui::TMouseButton::mbRight) {
            FInput->Pressed = true;
            FInput->PressPoint = ui::Point(x, y);
            FInput->PressCol = FInput->PressRow = -1;
            TGridHit hit = HitTest(x, y);
            if (hit.SizingCol >= 0) {
                StartSizing(hit.SizingCol);
            } else {
                switch (hit.Area) {
                case TGridArea::gaData:
                    PressData(hit, shift);
                    // A press on a check box shows it pressed; only the release on the same box
                    // flips it. A Ctrl- or Shift-press that marks rows is the selection's, and
                    // its release will not act on the cell: the box does not look pressed.
                    if (button == ui::TMouseButton::mbLeft && (FState & gsMultiSelection) == 0)
                        HandleCheckBoxMouseDown(x, y);
                    break;
                case TGridArea::gaHeader: PressHeader(hit); break;
                case TGridArea::gaIndicator:
                    CloseEditor();
                    if (hit.Row >= 0 && hit.Row < RowCount())
                        SetCurrentCell(FCurrentCol, hit.Row, shift);
                    break;
                default: break;
                }
            }
        }
    }
    TScrollView::MouseDown(button, shift, x, y);
}

void TCustomGridViewControl::PressData(const TGridHit& hit, ui::TShiftState shift)
{
    if (FGridStyle == TGridStyle::gsReport && FInputRowActive) {
        CommitEdit();
        AcceptInput();
        CloseEditor();
        SetInputRowActive(false);
    }
    FInput->PressCol = hit.Col;
    FInput->PressRow = hit.Row;
    int col = hit.Col >= 0 && hit.Col < FColumns->Count() ? hit.Col : FCurrentCol;
    if (hit.Row >= 0 && hit.Row < RowCount())
        SetCurrentCell(col, hit.Row, shift);
}

void TCustomGridViewControl::PressHeader(const TGridHit& hit)
{
    FInput->PickedCol = hit.Col;
    if (hit.Col >= 0 && FColumns->Items(hit.Col)->Options().Contains(TColumnOption::coCanClick))
        SetPressedHeader(hit.Col);
}

void TCustomGridViewControl::MouseMove(ui::TShiftState shift, int x, int y)
{
    TScrollView::MouseMove(shift, x, y);
    ui::TrackMouseLeave(HandleAllocated() ? Handle() : nullptr, FInput->TrackingLeave);
    if (FState & gsColumnDragging)
        return;
    if (FState & gsColumnSizing) {
        TrackSizing(x);
        return;
    }
    TGridHit hit = HitTest(x, y);
    if (hit.Area != TGridArea::gaHeader)
        SetHotHeader(-1);
    switch (hit.Area) {
    case TGridArea::gaData: TrackData(hit, x, y); break;
    case TGridArea::gaHeader:
        SetHotCell(-1, -1);
        HideTextFitHint();
        TrackHeader(hit, x, y, shift);
        break;
    case TGridArea::gaIndicator:
        SetHotCell(-1, -1);
        HideTextFitHint();
        SetGridCursor(FOptions.Contains(TGridOption::goIndicator) ? crIndicatorSelect : ui::crDefault);
        break;
    default:
        SetHotCell(-1, -1);
        HideTextFitHint();
        SetGridCursor(ui::crDefault);
        break;
    }
}

void TCustomGridViewControl::TrackData(const TGridHit& hit, int, int)
{
    bool exists = hit.Row >= 0 && hit.Row < RowCount() && hit.Col >= 0;
    if (!exists) {
        SetHotCell(-1, -1);
        HideTextFitHint();
        SetGridCursor(ui::crDefault);
        return;
    }
    bool changed = hit.Col != FInput->HotCol || hit.Row != FInput->HotRow;
    SetHotCell(hit.Col, hit.Row);
    if (changed)
        ShowTextFitHint(hit.Col, hit.Row);
    SetGridCursor(FColumns->Items(hit.Col)->Cursor());
}

void TCustomGridViewControl::TrackHeader(const TGridHit& hit, int x, int y, ui::TShiftState shift)
{
    SetGridCursor(hit.SizingCol >= 0 ? crHorzSplit : ui::crDefault);
    int picked = FInput->PickedCol;
    if (FInput->Pressed && picked >= 0 && shift.Contains(ui::TShiftStateFlag::ssLeft) && !IsDesigning() &&
        !FOptions.Contains(TGridOption::goDissableColumnMoving) &&
        FColumns->Items(picked)->Options().Contains(TColumnOption::coCanClick) &&
        PastDragThreshold(FInput->PressPoint, ui::Point(x, y))) {
        StartColumnDrag(picked, x, y);
        return;
    }
    SetHotHeader(hit.Col);
}

void TCustomGridViewControl::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TScrollView::MouseUp(button, shift, x, y);
    // Every left release ends a check-box press, wherever it happens, so that the pressed look
    // never stays behind; whether it flips the box is the cell's release, below.
    bool boxReleased = button == ui::TMouseButton::mbLeft && EndCheckBoxPress(x, y);
    bool headerPressed = (FState & gsHeaderPressed) != 0;
    int pressedHeader = PressedHeader();
    SetPressedHeader(-1);
    if (FState & gsColumnSizing) {
        EndSizing(true);
        // A sizing drag that ends over a sortable header is not a click on it.
        FInput->Pressed = false;
        FInput->PickedCol = -1;
        return;
    }
    TGridHit hit = HitTest(x, y);
    bool sameCell = FInput->Pressed && hit.Area == TGridArea::gaData && hit.Col == FInput->PressCol &&
                    hit.Row == FInput->PressRow;
    bool existing = hit.Col >= 0 && hit.Col < FColumns->Count() && hit.Row >= 0 && hit.Row < RowCount();
    if (!IsDesigning() && sameCell && existing)
        DoCellClick(hit.Col, hit.Row);
    FInput->Pressed = false;
    FInput->PickedCol = -1;
    if (headerPressed && pressedHeader >= 0)
        DoHeaderClick(pressedHeader);
    if (button != ui::TMouseButton::mbLeft || FColumns->Count() == 0)
        return;
    switch (hit.Area) {
    case TGridArea::gaData:
        if (IsDesigning() || (FState & gsMultiSelection) || !sameCell || !existing)
            break;
        // A cell with an interactive element gives the release to it; the cell's editor opens
        // when the point is not the element's.
        if (TCustomColumn* column = FColumns->Items(hit.Col);
            column->PlayClass() == nullptr || !column->Options().Contains(TColumnOption::coEditing) ||
            !ClickCheckBox(hit.Col, hit.Row, x, y, boxReleased))
            OpenCellEditor(hit.Col, hit.Row, L"");
        break;
    case TGridArea::gaHeader:
        if (hit.Col >= 0) {
            TCustomColumn* column = FColumns->Items(hit.Col);
            if (column->Options().Contains(TColumnOption::coCanSort)) {
                if (column->Sorted())
                    column->SetSortKind(column->SortKind() == TSortKind::skAscending ? TSortKind::skDescending
                                                                                      : TSortKind::skAscending);
                else
                    column->SetSorted(true);
            }
        }
        break;
    case TGridArea::gaInput:
        if (hit.Col >= 0)
            OpenInputEditor(hit.Col, L"");
        break;
    default: break;
    }
}

void TCustomGridViewControl::DblClick()
{
    ui::TPoint p = FInput->DblClickPoint;
    if (AreaAt(Geometry(), p.x, p.y) == TGridArea::gaData)
        TScrollView::DblClick();
}

bool TCustomGridViewControl::MouseWheel(ui::TShiftState shift, int delta, ui::TPoint screen)
{
    // An open cell editor keeps the wheel (a drop-down list or a spin box may want it).
    if (FState & gsCellEditing)
        return false;
    bool handled = false;
    ui::TPoint at = ScreenToClient(screen);
    if (delta < 0 && OnMouseWheelDown)
        OnMouseWheelDown(this, shift, at, handled);
    else if (delta > 0 && OnMouseWheelUp)
        OnMouseWheelUp(this, shift, at, handled);
    if (handled || delta == 0)
        return true;
    // A free-spinning wheel may report less than one notch: it still moves one step.
    int steps = std::max(1, std::abs(delta) / WHEEL_DELTA);
    bool page = shift.Contains(ui::TShiftStateFlag::ssCtrl);
    TControlScrollBar* bar = VertScrollBar();
    for (int i = 0; i < steps; ++i) {
        if (delta < 0)
            page ? bar->PageDown() : bar->LineDown();
        else
            page ? bar->PageUp() : bar->LineUp();
    }
    return true;
}

void TCustomGridViewControl::MouseLeft()
{
    HideTextFitHint();
    SetHotHeader(-1);
    SetHotCell(-1, -1);
    if ((FState & (gsColumnSizing | gsColumnDragging)) == 0)
        SetGridCursor(ui::crDefault);
}

void TCustomGridViewControl::SetHotCell(int ACol, int ARow)
{
    if (ACol == FInput->HotCol && ARow == FInput->HotRow)
        return;
    int oldCol = FInput->HotCol, oldRow = FInput->HotRow;
    FInput->HotCol = ACol;
    FInput->HotRow = ARow;
    // Only the two cells involved repaint.
    if (oldCol >= 0 && oldRow >= 0 && oldRow < RowCount())
        InvalidateCell(oldCol, oldRow);
    if (ACol >= 0 && ARow >= 0 && ARow < RowCount())
        InvalidateCell(ACol, ARow);
}

void TCustomGridViewControl::SetHotHeader(int ACol)
{
    if (ACol == FInput->HotHeader)
        return;
    int old = FInput->HotHeader;
    FInput->HotHeader = ACol;
    if (old >= 0 && old < FColumns->Count())
        InvalidateColumnPart(FColumns->Items(old), TGridArea::gaHeader);
    if (ACol >= 0 && ACol < FColumns->Count())
        InvalidateColumnPart(FColumns->Items(ACol), TGridArea::gaHeader);
}

void TCustomGridViewControl::SetGridCursor(ui::TCursor cursor)
{
    bool changed = Cursor() != cursor;
    SetCursor(cursor);
    if (!HandleAllocated())
        return;
    // While the grid or its drag box holds the mouse no WM_SETCURSOR comes: set it here. When
    // the pointer is over the grid, set it now rather than at the next move.
    POINT p;
    bool over = GetCursorPos(&p) && WindowFromPoint(p) == Handle();
    bool captured = GetCapture() == Handle() || (FInput->DragBox != nullptr && FInput->DragBox->Dragging());
    if ((changed && over) || captured)
        ::SetCursor(ui::Screen->Cursors(cursor == ui::crDefault ? ui::crArrow : cursor));
}

void TCustomGridViewControl::ShowTextFitHint(int ACol, int ARow)
{
    TCustomColumn* column = FColumns->Items(ACol);
    if (!column->Options().Contains(TColumnOption::coShowTextFitHint)) {
        HideTextFitHint();
        return;
    }
    std::wstring text = GetCellText(ACol, ARow);
    if (MeasureText(*column->Font(), column->FormatText(text)) <= column->Width() - 5) {
        HideTextFitHint();
        return;
    }
    ui::TRect cell = CellRect(ACol, ARow);
    ui::TPoint at = ClientToScreen(ui::Point(cell.left, cell.top));
    // Measured for the width it is shown in: no wider than the grid, nor than the screen it is on.
    int widest = std::min<int>(ClientWidth(), ui::RectWidth(WorkAreaOf(ui::Bounds(at.x, at.y, 1, 1))));
    ui::TRect size = FInput->FitHint->CalcHintRect(widest, text);
    FInput->FitHint->ActivateHint(ui::Bounds(at.x, at.y, ui::RectWidth(size), ui::RectHeight(size)), text);
}

void TCustomGridViewControl::HideTextFitHint()
{
    if (FInput->FitHint != nullptr)
        FInput->FitHint->ReleaseHandleIfShown();
}

void TCustomGridViewControl::CancelPress()
{
    if (FState & gsColumnSizing)
        EndSizing(false);
    SetPressedHeader(-1);
    ReleaseCheckBoxPress();
    FInput->Pressed = false;
    FInput->PickedCol = -1;
    FInput->PressCol = FInput->PressRow = -1;
    if ((FState & gsColumnDragging) == 0)
        SetGridCursor(ui::crDefault);
}

void TCustomGridViewControl::DoCellClick(int ACol, int ARow)
{
    if (OnCellClick)
        OnCellClick(this, ACol, ARow);
}

void TCustomGridViewControl::DoHeaderClick(int ACol)
{
    if (OnHeaderClick)
        OnHeaderClick(this, ACol);
}



} // namespace grid
