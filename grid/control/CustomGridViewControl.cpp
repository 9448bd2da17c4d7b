// The grid control's core: geometry, invalidation, selection state and column notifications.
#include "grid/control/CustomGridViewControl.h"

#include "grid/control/GridInput.h"
#include "grid/editors/ColumnEditors.h"
#include "grid/view/Displays.h"
#include "grid/view/ThemesSupport.h"
#include "ui/core/ClassBuilder.h"
#include "ui/core/ScopeGuard.h"
#include "ui/graphics/GdiGuards.h"

#include <algorithm>

template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TGridStyle>()
{
    static const TEnumInfo info{L"TGridStyle", {L"gsReport", L"gsSlides"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TGridLinesStyle>()
{
    static const TEnumInfo info{L"TGridLinesStyle", {L"lsNormal", L"lsFramed", L"lsHorizontalOnly"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::THeaderStyle>()
{
    static const TEnumInfo info{L"THeaderStyle", {L"hsAuto", L"hsDefault", L"hsOldStyle"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TSelectionMoveDirection>()
{
    static const TEnumInfo info{L"TSelectionMoveDirection", {L"mdNone", L"mdUp", L"mdDown", L"mdLeft", L"mdRight"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TGridBorderStyle>()
{
    static const TEnumInfo info{L"TBorderStyle", {L"bsNone", L"bsSingle"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TGridOption>()
{
    static const TEnumInfo info{
        L"TGridOption",
        {L"goAlwaysIndicateSelected", L"goAlphaBlendedSelection", L"goAlwaysShowSelection", L"goBoldTextSelection",
         L"goCanHideColumn", L"goDissableColumnMoving", L"goFooter", L"goGrid", L"goHeader", L"goHideFocus",
         L"goHighlightTextSelection", L"goIndicateSortedColumn", L"goIndicator", L"goInput", L"goMultiSelect",
         L"goSelectFullRow", L"goUseDefaultValues"}};
    return info;
}

namespace grid {


// ---------------------------------------------------------------------------------------------
// TCustomGridViewControl

const ui::TClassInfo& TCustomGridViewControl::StaticClass()
{
    static const ui::TClassInfo info =
        ui::TClassBuilder<TCustomGridViewControl>(L"TCustomGridViewControl", &TScrollView::StaticClass()).Build();
    return info;
}

TCustomGridViewControl::TCustomGridViewControl(ui::TComponent* AOwner) : TScrollView(AOwner)
{
    SetBounds(Left(), Top(), 250, 150);
    SetTabStop(true);
    SetColor(clWindow);
    SetParentColor(false);
    // Columns name their painters; the names must be known before the first column is made.
    RegisterColumnDisplays();
    RegisterColumnEditors();
    FPartDisplay = std::make_unique<TColumnPartDisplay>(this);
    FColumns = new TColumns(this, this);
    FColumns->OnColumnChange = [this](ui::TObject*, TCustomColumn* column, int kind) { ColumnChanged(column, kind); };
    FColumns->OnLayoutChange = [this](ui::TObject*, int action, int i1, int i2) { LayoutChanged(action, i1, i2); };
    CreateInputParts();
}

bool TCustomGridViewControl::HostDesigning() const { return IsDesigning(); }

HWND TCustomGridViewControl::PartWindow() const
{
    return HandleAllocated() ? const_cast<TCustomGridViewControl*>(this)->Handle() : nullptr;
}
TColor TCustomGridViewControl::PartBackground() const { return Color(); }
int TCustomGridViewControl::PartVisibleColumns() const { return FColumns->VisibleCount(); }
const ui::TFont* TCustomGridViewControl::PartFont() const { return Font(); }

TCustomGridViewControl::~TCustomGridViewControl()
{
    DestroyInputParts();
    FPartDisplay.reset();
    FColumns->OnColumnChange = nullptr;
    FColumns->OnLayoutChange = nullptr;
    delete FColumns;
    FColumns = nullptr;
}

void TCustomGridViewControl::CreateParams(ui::TCreateParams& params)
{
    TScrollView::CreateParams(params);
    if (FBorderStyle == TGridBorderStyle::bsSingle)
        params.ExStyle |= WS_EX_STATICEDGE;
    // No full repaint on resize: the grid invalidates what a size change uncovers.
    params.ClassStyle &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
    params.Background = nullptr;
}

void TCustomGridViewControl::CreateHandleDone()
{
    TScrollView::CreateHandleDone();
    HorzScrollBar()->LargeChange = 10;
    HorzScrollBar()->SmallChange = 5;
    VertScrollBar()->LargeChange = 10;
    RECT client;
    GetClientRect(Handle(), &client);
    Resized(FLastClientWidth, FLastClientHeight);
}

void TCustomGridViewControl::WndProc(ui::TMessage& message)
{
    // The layout settles before a paint starts, so the paint itself only reads.
    if (message.Msg == WM_PAINT)
        SyncScrollRanges();
    // Mouse, keyboard and focus go to the typed handlers of the input files (GridMouse, GridKeyboard) through the base class.
    if (HandleInputMessage(message))
        return;
    TScrollView::WndProc(message);
    switch (message.Msg) {
    case WM_SIZE:
        if (HandleAllocated())
            Resized(FLastClientWidth, FLastClientHeight);
        break;
    case WM_NCPAINT:
        PaintThemedBorder();
        break;
    case WM_THEMECHANGED:
        ThemesChanged();
        FThemes.Close();
        break;
    case WM_DESTROY:
        // Theme data belongs to a theme and a window; the next styled paint opens it anew.
        FThemes.Close();
        break;
    default:
        break;
    }
}

void TCustomGridViewControl::PaintThemedBorder()
{
    // With visual styles the sunken edge is replaced by the list view's styled frame, drawn over
    // the outer 2 pixels of the window after the default non-client painting.
    if (!HandleAllocated() || FBorderStyle != TGridBorderStyle::bsSingle || FHeaderStyle != THeaderStyle::hsAuto ||
        !ThemesActive())
        return;
    RECT window;
    GetWindowRect(Handle(), &window);
    OffsetRect(&window, -window.left, -window.top);
    ui::TWindowDC dc(Handle(), ui::TWindowDC::waWhole);
    if (dc == nullptr)
        return;
    ExcludeClipRect(dc, window.left + 2, window.top + 2, window.right - 2, window.bottom - 2);
    FThemes.Draw(Handle(), dc, window, 0, 1, L"listview");
}

void TCustomGridViewControl::SetPressedHeader(int ACol)
{
    if (FPressedHeader == ACol)
        return;
    auto invalidate = [this](int col) {
        if (col >= 0 && col < FColumns->Count())
            InvalidateColumnPart(FColumns->Items(col), TGridArea::gaHeader);
    };
    invalidate(FPressedHeader);
    FPressedHeader = ACol;
    if (ACol >= 0)
        FState |= gsHeaderPressed;
    else
        FState &= static_cast<uint16_t>(~gsHeaderPressed);
    invalidate(ACol);
}

void TCustomGridViewControl::TextChanged()
{
    TScrollView::TextChanged();
    // The caption shows in the data area of an empty grid, centred across the client width.
    TGridLayout l = Layout();
    ui::TRect r = l.DataRect();
    r.right = l.ClientWidth;
    InvalidateGridRect(r);
}

void TCustomGridViewControl::Resized(int oldWidth, int oldHeight)
{
    RECT client;
    GetClientRect(Handle(), &client);
    int width = client.right, height = client.bottom;
    FLastClientWidth = width;
    FLastClientHeight = height;
    // Widths first: updating the vertical range below can show or hide the vertical bar, which
    // resizes the client again and runs this method for the newer width before it returns.
    if (width != oldWidth) {
        // Width changes of auto-sizing columns repaint through their own notifications; what is
        // left is the strip a wider window uncovers, or everything when the view is scrolled.
        FColumns->DistributeWidths(width);
        if (HorzScrollBar()->Position() > 0) {
            Invalidate();
        } else {
            if (oldWidth >= 0 && width > oldWidth)
                InvalidateGridRect(ui::Rect(oldWidth, 0, width, height));
            if (RowCount() == 0 && !Caption().empty()) {
                ui::TRect data = DataRect();
                InvalidateGridRect(ui::Rect(0, data.top, width, data.bottom));
            }
        }
    }
    if (height != oldHeight) {
        if (FOptions.Contains(TGridOption::goFooter)) {
            // The footer moved: its new place and the band it left behind.
            InvalidateGridRect(ui::Rect(0, FooterRect().top, width, height));
            if (oldHeight >= 0) {
                int oldTop = oldHeight - Layout().FooterHeight();
                InvalidateGridRect(ui::Rect(0, oldTop, width, oldHeight));
            }
        }
        if (VertScrollBar()->Position() > 0) {
            InvalidateArea(TGridArea::gaIndicator);
            InvalidateArea(TGridArea::gaData);
        }
        UpdateVertScrollRange();
    }
    CloseEditor();
    UpdateHorzScrollRange();
}

TGridLayout TCustomGridViewControl::Layout() const
{
    TGridLayout l;
    l.Options = FOptions;
    l.LinesStyle = FGridLinesStyle;
    l.HeaderSize = FHeaderSize;
    l.InputSize = FInputSize;
    l.RowSize = FRowSize;
    l.VisibleWidth = FColumns->VisibleWidth();
    l.ScrollX = HorzScrollBar()->Position();
    l.TopRow = VertScrollBar()->Position();
    l.ClientWidth = ClientWidth();
    l.ClientHeight = ClientHeight();
    return l;
}

ui::TRect TCustomGridViewControl::CellRect(int ACol, int ARow) const
{
    TCustomColumn* column = FColumns->Items(ACol);
    return Layout().CellRect(column->Left(), column->Width(), ARow);
}

bool TCustomGridViewControl::CellAt(int x, int y, int& ACol, int& ARow) const
{
    TGridGeometry g = Geometry();
    ui::TRect data = g.Layout.DataRect();
    if (y < data.top || y >= data.bottom || x < data.left || x >= data.right)
        return false;
    int col = ColumnAtX(g, x);
    if (col < 0)
        return false;
    ACol = col;
    ARow = g.Layout.RowAt(y);
    return true;
}

void TCustomGridViewControl::InvalidateGridRect(const ui::TRect& rect)
{
    if (HandleAllocated() && !ui::IsRectEmptyOrInverted(rect))
        InvalidateRect(Handle(), &rect, FALSE);
}

void TCustomGridViewControl::InvalidateArea(TGridArea area)
{
    TGridLayout l = Layout();
    if (l.AreaShown(area))
        InvalidateGridRect(l.AreaRect(area));
}

void TCustomGridViewControl::InvalidateColumnPart(TCustomColumn* column, TGridArea area)
{
    TGridLayout l = Layout();
    if (column == nullptr || !l.AreaShown(area))
        return;
    ui::TRect r = l.AreaRect(area);
    r.left = column->Left() - l.ScrollX;
    r.right = r.left + column->Width();
    InvalidateGridRect(r);
}

void TCustomGridViewControl::InvalidateCell(int ACol, int ARow)
{
    if (ACol < 0 || ACol >= FColumns->Count())
        return;
    ui::TRect r = CellRect(ACol, ARow);
    r.right += GridLineWidth();
    r.bottom += GridLineWidth();
    InvalidateGridRect(r);
}

void TCustomGridViewControl::InvalidateRowsFrom(int ARow)
{
    // Everything a row operation moves: the rows from ARow to the bottom of the data area, with
    // their indicator cells, and the footer whose sums follow the rows. The header, the input
    // row and the column parts stay as they are, and repainting them (styled header items are
    // the dearest thing the grid draws) would be work with nothing to show for it.
    if (!HandleAllocated())
        return;
    TGridLayout l = Layout();
    ui::TRect data = l.DataRect();
    int top = std::max(static_cast<int>(data.top), static_cast<int>(l.RowRect(ARow).top));
    if (l.GridLineWidth() > 0 && top > data.top)
        --top; // the row above ends in the grid line the moved rows start under
    InvalidateGridRect(ui::Rect(0, top, l.ClientWidth, data.bottom));
    if (l.AreaShown(TGridArea::gaFooter))
        InvalidateGridRect(l.FooterRect());
}

void TCustomGridViewControl::RowsMovedUpFrom(int ARow)
{
    if (!HandleAllocated())
        return;
    HWND window = Handle();
    TGridLayout l = Layout();
    const int pitch = l.RowPitch();
    const ui::TRect data = l.DataRect();
    const int top = data.top + pitch * (ARow - l.TopRow);
    // A cell looks the same one row higher unless something on screen belongs to a row number
    // rather than to the row: the current cell's selection and focus, the indicator's arrow, a
    // hot cell, an open editor, row numbers, a hook that may colour by row, a framed last line.
    // A repaint already queued would be moved with the pixels, so it too takes the plain way.
    bool columnsMove = true;
    for (int i = 0; i < FColumns->Count() && columnsMove; ++i)
        columnsMove = FColumns->Items(i)->CellKind() != ckRowNumber;
    const bool moves = columnsMove && IsWindowVisible(window) && FGridStyle == TGridStyle::gsReport &&
                       (l.GridLineWidth() == 0 || FGridLinesStyle == TGridLinesStyle::lsNormal) && pitch > 0 &&
                       ARow >= l.TopRow && top < data.bottom && data.bottom - top > pitch && !EditorOpen() &&
                       !GridFocused() && !FOptions.Contains(TGridOption::goAlwaysShowSelection) &&
                       !FOptions.Contains(TGridOption::goIndicator) && HotRow() < 0 && !OnCellColoring &&
                       !OnDrawCellBackground && !OnCustomDrawCell && !GetUpdateRect(window, nullptr, FALSE);
    if (!moves) {
        InvalidateRowsFrom(ARow);
        return;
    }
    // The window's own device context moves the pixels; what it could not copy (a part hidden
    // by another window) comes back in the region and is repainted with the uncovered foot. The
    // footer (it counts the rows) joins the same region: each invalidation is a round trip to the
    // window server under Wine.
    ui::TGdiObject<HRGN> pending(CreateRectRgn(0, 0, 0, 0));
    if (!pending) {
        InvalidateRowsFrom(ARow);
        return;
    }
    const ui::TRect band = ui::Rect(0, top, l.ClientWidth, data.bottom);
    ui::TWindowDC dc(window, ui::TWindowDC::waClient);
    if (dc == nullptr || !ScrollDC(dc, 0, -pitch, &band, &band, pending, nullptr))
        SetRectRgn(pending, band.left, band.top, band.right, band.bottom);
    const ui::TRect footer = l.FooterRect();
    if (l.AreaShown(TGridArea::gaFooter) && !ui::IsRectEmptyOrInverted(footer)) {
        ui::TGdiObject<HRGN> footerRegion(CreateRectRgnIndirect(&footer));
        if (footerRegion)
            CombineRgn(pending, pending, footerRegion, RGN_OR);
        else
            InvalidateGridRect(footer);
    }
    InvalidateRgn(window, pending, FALSE);
}

void TCustomGridViewControl::InvalidateRow(int ARow)
{
    if (RowCount() == 0)
        return;
    InvalidateGridRect(RowRect(ARow));
}

void TCustomGridViewControl::SetBorderStyle(TGridBorderStyle v)
{
    if (FBorderStyle == v)
        return;
    FBorderStyle = v;
    if (HandleAllocated())
        RecreateWnd();
}

void TCustomGridViewControl::SetGridStyle(TGridStyle v)
{
    if (v == TGridStyle::gsSlides) {
        CloseEditor();
        FInputRowActive = false;
    }
    FGridStyle = v;
    Invalidate();
    PlaceEditor();
    UpdateVertScrollRange();
}

void TCustomGridViewControl::SetGridLinesStyle(TGridLinesStyle v)
{
    FGridLinesStyle = v;
    Invalidate();
}

void TCustomGridViewControl::SetHeaderSize(int v)
{
    FHeaderSize = v;
    Invalidate();
    PlaceEditor();
    UpdateVertScrollRange();
}

void TCustomGridViewControl::SetHeaderStyle(THeaderStyle v)
{
    FHeaderStyle = v;
    Invalidate();
    if (HandleAllocated())
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomGridViewControl::SetInputSize(int v)
{
    FInputSize = v;
    Invalidate();
    UpdateVertScrollRange();
}

void TCustomGridViewControl::SetOptions(TGridOptions v)
{
    bool indicatorChanged = v.Contains(TGridOption::goIndicator) != FOptions.Contains(TGridOption::goIndicator);
    FOptions = v;
    if (indicatorChanged)
        FColumns->UpdateLayout(false);
    Invalidate();
    PlaceEditor();
    UpdateVertScrollRange();
    UpdateHorzScrollRange();
}

void TCustomGridViewControl::SetRowSize(int v)
{
    if (v <= 0)
        return;
    FRowSize = v;
    VertUnitSize = v;
    InvalidateArea(TGridArea::gaData);
    InvalidateArea(TGridArea::gaInput);
    InvalidateArea(TGridArea::gaIndicator);
    PlaceEditor();
    UpdateVertScrollRange();
}

void TCustomGridViewControl::SetSlideSize(int v)
{
    FSlideSize = v;
    Invalidate();
}

void TCustomGridViewControl::ClearRows() { ClearRowMarks(); }

bool TCustomGridViewControl::RowSelected(int ARow) const
{
    return ARow >= 0 && ARow < static_cast<int>(FRowMarks.size()) && FRowMarks[ARow] != 0;
}

void TCustomGridViewControl::SetCurrentCell(int ACol, int ARow, ui::TShiftState Shift)
{
    int oldCol = FCurrentCol, oldRow = FCurrentRow;
    FCurrentCol = ACol;
    FCurrentRow = ARow;
    auto mark = [this](int row, uint8_t value) {
        if (row >= 0 && row < static_cast<int>(FRowMarks.size()))
            FRowMarks[row] = value;
    };
    bool ranged = false;
    if (FOptions.Contains(TGridOption::goMultiSelect) && FOptions.Contains(TGridOption::goSelectFullRow)) {
        if (Shift.Contains(ui::TShiftStateFlag::ssCtrl)) {
            FAnchorRow = ARow;
            FState |= gsMultiSelection;
            mark(ARow, RowSelected(ARow) ? 0 : 1);
            ranged = true;
        } else if (Shift.Contains(ui::TShiftStateFlag::ssShift)) {
            FState |= gsMultiSelection;
            int from = std::min(FAnchorRow, ARow), to = std::max(FAnchorRow, ARow);
            for (int r = 0; r < static_cast<int>(FRowMarks.size()); ++r)
                FRowMarks[r] = (r >= from && r <= to) ? 1 : 0;
            ranged = true;
        }
    }
    if (!ranged) {
        if (FState & gsMultiSelection) {
            std::fill(FRowMarks.begin(), FRowMarks.end(), 0);
            FState &= static_cast<uint16_t>(~gsMultiSelection);
        } else {
            mark(oldRow, 0);
        }
        mark(ARow, 1);
        FAnchorRow = ARow;
    }
    if (FInputRowActive) {
        if (oldCol >= 0 && oldCol < FColumns->Count())
            InvalidateColumnPart(FColumns->Items(oldCol), TGridArea::gaInput);
        if (ACol >= 0 && ACol < FColumns->Count())
            InvalidateColumnPart(FColumns->Items(ACol), TGridArea::gaInput);
        return;
    }
    DoSelectCell(ACol, ARow);
    if (oldCol == ACol && oldRow == ARow)
        return;
    if (FGridStyle == TGridStyle::gsSlides) {
        Invalidate();
        return;
    }
    if (FOptions.Contains(TGridOption::goSelectFullRow)) {
        InvalidateRow(oldRow);
        InvalidateRow(ARow);
    } else if (FOptions.Contains(TGridOption::goIndicator)) {
        InvalidateArea(TGridArea::gaIndicator);
    }
    InvalidateCell(oldCol, oldRow);
    InvalidateCell(ACol, ARow);
}

void TCustomGridViewControl::DoSelectCell(int ACol, int ARow)
{
    if (OnSelectCell)
        OnSelectCell(this, ACol, ARow);
}

void TCustomGridViewControl::DoSortColumn(int ACol, bool Ascending)
{
    if (OnSortColumn)
        OnSortColumn(this, ACol, Ascending);
}

void TCustomGridViewControl::InsertRowMarks(int at, int count)
{
    at = std::clamp(at, 0, static_cast<int>(FRowMarks.size()));
    if (at == static_cast<int>(FRowMarks.size())) { // appending, the usual case
        FRowMarks.resize(FRowMarks.size() + static_cast<size_t>(std::max(count, 0)));
        return;
    }
    FRowMarks.insert(FRowMarks.begin() + at, static_cast<size_t>(std::max(count, 0)), 0);
}

void TCustomGridViewControl::EraseRowMark(int at)
{
    if (at >= 0 && at < static_cast<int>(FRowMarks.size()))
        FRowMarks.erase(FRowMarks.begin() + at);
}

void TCustomGridViewControl::MoveRowMark(int from, int to)
{
    int n = static_cast<int>(FRowMarks.size());
    if (from < 0 || from >= n || to < 0 || to >= n)
        return;
    uint8_t value = FRowMarks[from];
    FRowMarks.erase(FRowMarks.begin() + from);
    FRowMarks.insert(FRowMarks.begin() + to, value);
}

void TCustomGridViewControl::ClearRowMarks()
{
    FRowMarks.clear();
    FState &= static_cast<uint16_t>(~gsMultiSelection);
}

void TCustomGridViewControl::KeepCurrentCellInRows()
{
    int rows = RowCount();
    if (FAnchorRow >= rows)
        FAnchorRow = rows - 1;
    int row = std::clamp(FCurrentRow, 0, std::max(rows - 1, 0));
    if (row == FCurrentRow)
        return;
    FCurrentRow = row;
    if (row < SelectionMarkCount() && (FState & gsMultiSelection) == 0) {
        FRowMarks[row] = 1;
        FAnchorRow = row;
    }
    // What SetCurrentCell repaints for a move: the row or the indicator's mark, and the cell.
    if (FOptions.Contains(TGridOption::goSelectFullRow))
        InvalidateRow(row);
    else if (FOptions.Contains(TGridOption::goIndicator))
        InvalidateArea(TGridArea::gaIndicator);
    InvalidateCell(FCurrentCol, row);
}

void TCustomGridViewControl::ColumnChanged(TCustomColumn* column, int kind)
{
    if (!HandleAllocated())
        return;
    switch (kind) {
    case ccInputText:
        InvalidateColumnPart(column, TGridArea::gaInput);
        break;
    case ccPosition:
    case ccVisibility:
        Invalidate();
        PlaceEditor();
        break;
    case ccSort:
        Invalidate();
        PlaceEditor();
        if (column->Sorted()) {
            bool ascending = column->SortKind() == TSortKind::skAscending;
            SortColumn(column, ascending);
            DoSortColumn(column->Index(), ascending);
        }
        break;
    case ccWidth:
        Invalidate();
        PlaceEditor();
        UpdateHorzScrollRange();
        break;
    default: // appearance, and the unnamed text change
        Invalidate();
    }
}

void TCustomGridViewControl::LayoutChanged(int action, int, int)
{
    if (action != saCleared)
        PlaceEditor();
    Invalidate();
}

void TCustomGridViewControl::UpdateVertScrollRange()
{
    // Before the window exists the bars live in their objects only; window creation comes here.
    if (!HandleAllocated())
        return;
    int g = GridLineWidth();
    bool wasVisible = VertScrollBar()->Visible();
    if (FGridStyle == TGridStyle::gsReport) {
        int excess = Layout().VertScrollMax(RowCount());
        VertScrollBar()->SetParams(-1, 0, excess, 1, excess > 0, !(FHideScrollBar && excess < 1));
        VertUnitSize = FRowSize + g;
    } else {
        int pitch = std::max(1, g + FSlideSize);
        VertScrollBar()->SetMax(RowCount() - ClientHeight() / pitch);
        VertScrollBar()->SetVisible(true);
        VertScrollBar()->SetEnabled(VertScrollBar()->Max() != 0);
        VertUnitSize = pitch;
    }
    if (wasVisible != VertScrollBar()->Visible())
        Invalidate();
}

void TCustomGridViewControl::UpdateHorzScrollRange()
{
    if (!HandleAllocated())
        return;
    if (FGridStyle == TGridStyle::gsSlides) {
        HorzScrollBar()->SetVisible(false);
        return;
    }
    HorzScrollBar()->SetMax(Layout().HorzScrollMax());
    HorzScrollBar()->SetPageSize(5);
    HorzScrollBar()->SetVisible(HorzScrollBar()->Max() > 0);
    HorzScrollBar()->LargeChange = RoundHalfEven(ClientWidth() * 0.05);
}

ui::TComponent* TCustomGridViewControl::GetChildOwner()
{
    // The first column read from a description replaces whatever columns the grid had.
    if (IsLoading() && !FColumnsReadStarted) {
        FColumnsReadStarted = true;
        FColumns->Clear();
    }
    return FColumns;
}

void TCustomGridViewControl::GetChildren(const std::function<void(ui::TComponent*)>& proc, ui::TComponent* root)
{
    FColumns->GetChildren(proc, root);
}

void TCustomGridViewControl::Loaded()
{
    TScrollView::Loaded();
    FColumnsReadStarted = false;
    FColumns->UpdateLayout(false);
}

} // namespace grid
