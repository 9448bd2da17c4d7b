// Painting of the grid control: column parts, rows of cells, grid lines, focus frame, the
// indicator column, the area right of the columns, the empty grid's caption and the slides.
#include "grid/control/CustomGridViewControl.h"

#include "grid/view/Displays.h"
#include "grid/view/SharedClasses.h"
#include "grid/view/ThemesSupport.h"
#include "ui/core/ScopeGuard.h"
#include "ui/graphics/GdiGuards.h"

#include <algorithm>
#include <typeinfo>

namespace grid {

namespace {

bool Intersects(const ui::TRect& a, const ui::TRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

ui::TRect Intersection(const ui::TRect& a, const ui::TRect& b)
{
    return ui::Rect(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                    std::min(a.bottom, b.bottom));
}

void Line(ui::TCanvas& canvas, int x1, int y1, int x2, int y2)
{
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

void Fill(ui::TCanvas& canvas, const ui::TRect& r, TColor color)
{
    canvas.Brush().SetStyle(ui::TBrushStyle::bsSolid);
    canvas.Brush().SetColor(color);
    canvas.FillRect(r);
}

constexpr TColor kSortedColumnColor = 0xF5F5F5; // red, green and blue 245

} // namespace

// The clip the paint started with (the update region of a real paint, or whatever a caller set
// on a memory canvas) is kept, so narrowing to a cell and "resetting" never paint outside it.
struct TCustomGridViewControl::TPaintContext {
    ui::TCanvas& Canvas;
    TGridLayout Layout;
    ui::TRect Data;
    ui::TRect RowArea; // the data area, from x = 0 when the indicator is shown
    ui::TRect ClipBox;
    ui::TGdiObject<HRGN> Original; // empty: the paint started without a clip region
    bool Focused = false;
    // Visible columns whose strip touches both the client width and the clip box, in display order.
    std::vector<TCustomColumn*> Columns;
    // A row painted whole: its cells' rectangles and colours (kept to reuse the memory).
    struct TPiece {
        TCustomColumn* Column;
        ui::TRect Rect;
        TColor Color;
    };
    std::vector<TPiece> Pieces;

    TPaintContext(ui::TCanvas& canvas, const TGridLayout& layout) : Canvas(canvas), Layout(layout)
    {
        Data = Layout.DataRect();
        RowArea = Data;
        if (Layout.IndicatorWidth() > 0)
            RowArea.left = 0;
        ClipBox = Canvas.ClipRect();
        ui::TGdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
        if (region && GetClipRgn(Canvas.Handle(), region) == 1)
            Original = std::move(region);
    }
    ~TPaintContext() { ResetClip(); }
    TPaintContext(const TPaintContext&) = delete;
    TPaintContext& operator=(const TPaintContext&) = delete;

    void ResetClip() { SelectClipRgn(Canvas.Handle(), Original); }
    void ClipTo(const ui::TRect& r)
    {
        ResetClip();
        IntersectClipRect(Canvas.Handle(), r.left, r.top, r.right, r.bottom);
    }
};

void TCustomGridViewControl::Paint()
{
    // While a column's width is dragged the inverted guide lines must stay intact.
    if (FState & gsColumnSizing)
        return;
    TPaintContext pc(Canvas(), Layout());
    pc.Focused = GridFocused();
    // DrawCell and the colour hooks find the paint in progress; a paint nested in another gives
    // the outer one back when it ends.
    ui::TAssignOnExit<TPaintContext*> restore(FPaint, FPaint);
    FPaint = &pc;
    if (FGridStyle == TGridStyle::gsSlides) {
        PaintSlides(pc);
    } else {
        PaintColumnParts(pc);
        PaintRows(pc);
        PaintEmptyArea(pc);
        PaintCaption(pc);
    }
}

void TCustomGridViewControl::SyncScrollRanges()
{
    // The layout step before each paint (WM_PAINT, before the paint starts): most changes set the
    // ranges themselves, a plain append of rows does not. The check is cheap and the bars are
    // touched only when a value differs, since pushing them can resize the client and scroll the
    // content; done before BeginPaint, what that invalidates is part of the same paint.
    if (FGridStyle != TGridStyle::gsReport) {
        UpdateVertScrollRange();
        SettleScrollAreas();
        return;
    }
    TGridLayout layout = Layout();
    int excess = layout.VertScrollMax(RowCount());
    TControlScrollBar* vert = VertScrollBar();
    if (vert->Max() != excess || vert->Enabled() != (excess > 0) || vert->Visible() != !(FHideScrollBar && excess < 1))
        UpdateVertScrollRange();
    int horzMax = layout.HorzScrollMax();
    if (HorzScrollBar()->Max() != horzMax || HorzScrollBar()->Visible() != (horzMax > 0))
        UpdateHorzScrollRange();
    SettleScrollAreas();
}

void TCustomGridViewControl::PaintColumnParts(TPaintContext& pc)
{
    const TGridLayout& l = pc.Layout;
    bool header = FOptions.Contains(TGridOption::goHeader);
    bool input = FOptions.Contains(TGridOption::goInput);
    bool footer = FOptions.Contains(TGridOption::goFooter);
    int g = l.GridLineWidth();
    ui::TRect inputRect = l.InputRect(), footerRect = l.FooterRect();
    for (int p = 0; p < FColumns->Count(); ++p) {
        TCustomColumn* column = FColumns->DisplayItems(p);
        if (!column->Visible())
            continue;
        int left = column->Left() - l.ScrollX;
        if (left >= l.ClientWidth)
            break;
        int right = left + column->Width();
        if (right <= pc.ClipBox.left || left >= pc.ClipBox.right)
            continue;
        TPartDrawState part{.Canvas = pc.Canvas, .Column = *column};
        part.GridFocused = pc.Focused;
        part.InputActive = FInputRowActive;
        auto draw = [&](TColumnPartKind kind, const ui::TRect& rect) {
            part.Part = kind;
            part.Rect = rect;
            if (Intersects(rect, pc.ClipBox))
                FPartDisplay->DrawPart(part);
        };
        if (header) {
            part.Pressed = (FState & gsHeaderPressed) != 0 && FPressedHeader == column->Index();
            part.Hot = HotHeader() == column->Index();
            draw(pkHeader, ui::Rect(left, 0, right, FHeaderSize));
            part.Pressed = part.Hot = false;
        }
        if (input)
            draw(pkInput, ui::Rect(left, inputRect.top, right, inputRect.top + FInputSize + g));
        if (footer)
            draw(pkFooter, ui::Rect(left, footerRect.top + kFooterBand, right, footerRect.bottom));
    }
    PaintBands(pc);
}

void TCustomGridViewControl::PaintBands(TPaintContext& pc)
{
    const TGridLayout& l = pc.Layout;
    ui::TCanvas& c = pc.Canvas;
    bool styled = ThemesActive() && FHeaderStyle == THeaderStyle::hsAuto;
    bool dark = FHeaderStyle == THeaderStyle::hsOldStyle;
    int g = l.GridLineWidth();
    auto band = [&](const ui::TRect& r) {
        if (ui::IsRectEmptyOrInverted(r) || !Intersects(r, pc.ClipBox))
            return;
        if (styled)
            FThemes.Draw(Handle(), c.Handle(), r, 0, 0, L"rebar");
        else
            TGraphicsProvider::DrawButtonFrame(c, r, dark);
    };
    ui::TRect inputRect = l.InputRect(), footerRect = l.FooterRect();
    if (FOptions.Contains(TGridOption::goInput))
        band(ui::Rect(0, inputRect.top + FInputSize + g, inputRect.right, inputRect.bottom));
    if (FOptions.Contains(TGridOption::goFooter))
        band(ui::Rect(footerRect.left - l.ScrollX, footerRect.top, footerRect.right, footerRect.top + kFooterBand));
    if (!FOptions.Contains(TGridOption::goIndicator))
        return;
    if (FOptions.Contains(TGridOption::goHeader)) {
        ui::TRect r = ui::Rect(0, 0, kIndicatorWidth, FHeaderSize);
        if (Intersects(r, pc.ClipBox))
            FPartDisplay->DrawIndicatorHeader(c, r);
    }
    if (FOptions.Contains(TGridOption::goInput)) {
        ui::TRect r = ui::Rect(0, inputRect.top, kIndicatorWidth, inputRect.top + FInputSize + g);
        if (Intersects(r, pc.ClipBox))
            Fill(c, r, Color());
    }
    if (FOptions.Contains(TGridOption::goFooter)) {
        ui::TRect r = ui::Rect(0, footerRect.top, kIndicatorWidth, footerRect.bottom);
        if (Intersects(r, pc.ClipBox))
            TGraphicsProvider::DrawButtonFrame(c, r, dark);
    }
}

void TCustomGridViewControl::PaintRows(TPaintContext& pc)
{
    const TGridLayout& l = pc.Layout;
    int pitch = l.RowPitch();
    if (pitch <= 0)
        return;
    const ui::TRect& area = pc.RowArea;
    ui::TRect visible = Intersection(area, pc.ClipBox);
    if (ui::IsRectEmptyOrInverted(visible))
        return;

    // Columns are chosen once per paint; rows start at the first one the clip box reaches, so
    // the work does not grow with the number of rows.
    pc.Columns.clear();
    for (int p = 0; p < FColumns->Count(); ++p) {
        TCustomColumn* column = FColumns->DisplayItems(p);
        if (!column->Visible())
            continue;
        int left = column->Left() - l.ScrollX, right = left + column->Width();
        if (left > l.ClientWidth)
            break;
        if (right < 0 || right + l.GridLineWidth() <= pc.ClipBox.left || left >= pc.ClipBox.right)
            continue;
        pc.Columns.push_back(column);
    }
    bool indicator = FOptions.Contains(TGridOption::goIndicator) && pc.ClipBox.left < kIndicatorWidth;
    int rows = RowCount();
    int skip = std::max(0, static_cast<int>(visible.top - pc.Data.top) / pitch);
    // Empty rows draw no content: their painters are not asked for (nor made) to decide.
    const bool wholeEmptyRows = RowsPaintWhole(pc, false);
    const bool wholeRows = wholeEmptyRows && rows > 0 && RowsPaintWhole(pc, true);
    pc.ClipTo(area);
    for (int y = pc.Data.top + skip * pitch, row = l.TopRow + skip; y < pc.Data.bottom && y < visible.bottom;
         y += pitch, ++row) {
        if ((row < rows ? wholeRows : wholeEmptyRows) && RowPaintsWhole(row))
            DrawWholeRow(pc, row);
        else
            DrawRowByCells(pc, row);
        if (indicator) {
            bool exists = row < rows;
            TGraphicsProvider::DrawIndicatorCell(pc.Canvas, ui::Rect(0, y, kIndicatorWidth, y + pitch),
                                                 FHeaderStyle == THeaderStyle::hsOldStyle,
                                                 exists && RowSelected(row), exists && row == FCurrentRow);
        }
    }
    if (FOptions.Contains(TGridOption::goSelectFullRow))
        DrawFocus(pc);
    pc.ResetClip();
}

void TCustomGridViewControl::PaintEmptyArea(TPaintContext& pc)
{
    const TGridLayout& l = pc.Layout;
    int columnsEnd = l.IndicatorWidth() + l.VisibleWidth - l.ScrollX;
    if (columnsEnd >= l.ClientWidth)
        return;
    int left = std::max(columnsEnd, 0);
    ui::TRect band = ui::Rect(left, 0, l.ClientWidth, l.ClientHeight);
    if (!Intersects(band, pc.ClipBox))
        return;
    if (ThemesActive() && FHeaderStyle == THeaderStyle::hsAuto && FOptions.Contains(TGridOption::goHeader)) {
        ui::TRect header = ui::Rect(left, 0, l.ClientWidth, FHeaderSize);
        if (Intersects(header, pc.ClipBox))
            FPartDisplay->DrawEmptyHeader(pc.Canvas, header);
        band.top = FHeaderSize;
    }
    Fill(pc.Canvas, band, Color());
}

void TCustomGridViewControl::PaintCaption(TPaintContext& pc)
{
    if (RowCount() > 0 || Caption().empty())
        return;
    ui::TCanvas& c = pc.Canvas;
    c.SetFont(*Font());
    int top = pc.Data.top + 4;
    ui::TRect r = ui::Rect(0, top, pc.Layout.ClientWidth, top + c.TextHeight(Caption()));
    if (!Intersects(r, pc.ClipBox))
        return;
    ++PaintCounters().TextCalls;
    TGraphicsProvider::DrawText(c, r, false, Caption(), static_cast<int>(TAlignment::taCenter));
}

// ---------------------------------------------------------------------------------------------
// Cells

bool TCustomGridViewControl::GridFocused() const
{
    // Focus cannot change during a paint; asking the system once per paint keeps the colour
    // hooks, which ask for every cell, cheap.
    if (FPaint != nullptr)
        return FPaint->Focused;
    if (!HandleAllocated())
        return false;
    // The handle exists (checked above), so asking for it creates nothing.
    return ui::FocusWithin(const_cast<TCustomGridViewControl*>(this)->Handle());
}

bool TCustomGridViewControl::CellSelected(int ACol, int ARow) const
{
    if (FInputRowActive)
        return false;
    if (!GridFocused() && !FOptions.Contains(TGridOption::goAlwaysShowSelection))
        return false;
    bool open = (FState & gsCellEditing) != 0 && FEditCol == ACol && FEditRow == ARow;
    bool current = ACol == FCurrentCol && ARow == FCurrentRow;
    if (!FOptions.Contains(TGridOption::goSelectFullRow))
        return current && !open;
    if (!RowSelected(ARow))
        return false;
    return !current || (!FOptions.Contains(TGridOption::goAlwaysIndicateSelected) && !open);
}

TColor TCustomGridViewControl::CellBackColor(int ACol, int ARow)
{
    if (!CellSelected(ACol, ARow))
        return GetCellColor(ACol, ARow);
    if (!GridFocused())
        return clBtnFace;
    if (FOptions.Contains(TGridOption::goAlphaBlendedSelection))
        return TGraphicsProvider::MixColors(Color(), clHighlight, 0.25);
    return clHighlight;
}

TColor TCustomGridViewControl::CellTextColor(int ACol, int ARow)
{
    if (FOptions.Contains(TGridOption::goHighlightTextSelection) && CellSelected(ACol, ARow) && GridFocused())
        return clHighlightText;
    return FColumns->Items(ACol)->Font()->Color();
}

bool TCustomGridViewControl::PrepareCellFont(int ACol, int ARow, TCellValue&)
{
    ui::TCanvas& c = Canvas();
    TCustomColumn* column = FColumns->Items(ACol);
    c.SetFont(*column->Font());
    c.Font().SetColor(CellTextColor(ACol, ARow));
    if (FOptions.Contains(TGridOption::goBoldTextSelection) && CellSelected(ACol, ARow)) {
        ui::TFontStyles style = c.Font().Style();
        style.Include(ui::TFontStyle::fsBold);
        c.Font().SetStyle(style);
    }
    return true;
}

void TCustomGridViewControl::DoCellColoring(int ACol, int ARow, TColor& CellColor, TColor& GridColor,
                                            TCellState CellState)
{
    if (OnCellColoring)
        OnCellColoring(this, ACol, ARow, CellColor, GridColor, CellState);
}

void TCustomGridViewControl::DoDrawCellBackground(int ACol, int ARow, const ui::TRect& rect, TCellState CellState,
                                                  bool& DefaultDrawing)
{
    if (OnDrawCellBackground)
        OnDrawCellBackground(this, ACol, ARow, rect, CellState, DefaultDrawing);
}

void TCustomGridViewControl::DoCustomDrawCell(int ACol, int ARow, const ui::TRect& rect, TCellState CellState)
{
    if (OnCustomDrawCell)
        OnCustomDrawCell(this, ACol, ARow, rect, CellState);
}

void TCustomGridViewControl::DrawCell(int ACol, int ARow)
{
    if (FPaint == nullptr || ACol < 0 || ACol >= FColumns->Count())
        return;
    DrawCellIn(*FPaint, FColumns->Items(ACol), ARow);
}

void TCustomGridViewControl::DrawEmptyCell(int ACol, int ARow)
{
    if (FPaint == nullptr || ACol < 0 || ACol >= FColumns->Count())
        return;
    DrawEmptyCellIn(*FPaint, FColumns->Items(ACol), ARow);
}

void TCustomGridViewControl::DrawGridLines(TPaintContext& pc, const ui::TRect& r, TColor gridColor, bool lastRow,
                                           bool lastColumn)
{
    ui::TCanvas& c = pc.Canvas;
    bool framed = FGridLinesStyle == TGridLinesStyle::lsFramed;
    c.Pen().SetWidth(1);
    c.Pen().SetStyle(ui::TPenStyle::psSolid);
    c.Pen().SetColor(framed && lastRow ? clBlack : gridColor);
    Line(c, r.left, r.bottom, r.right, r.bottom);
    if (FGridLinesStyle == TGridLinesStyle::lsHorizontalOnly)
        return;
    c.Pen().SetColor(framed && lastColumn ? clBlack : gridColor);
    Line(c, r.right, r.top, r.right, r.bottom + 1);
}

void TCustomGridViewControl::DrawCellIn(TPaintContext& pc, TCustomColumn* column, int ARow)
{
    if (!column->Visible())
        return;
    const TGridLayout& l = pc.Layout;
    int g = l.GridLineWidth();
    ui::TRect rect = l.CellRect(column->Left(), column->Width(), ARow);
    ui::TRect withLines = ui::Rect(rect.left, rect.top, rect.right + g, std::min<LONG>(rect.bottom + g, pc.Data.bottom));
    // Cells the clip box misses cost nothing beyond this test.
    if (!Intersects(withLines, pc.ClipBox))
        return;
    int ACol = column->Index();
    ui::TCanvas& c = pc.Canvas;
    c.SetFont(*column->Font());
    bool selected = CellSelected(ACol, ARow);
    TColor cellColor = CellBackColor(ACol, ARow);
    TColor gridColor = clBtnFace;
    TCellState state;
    if (selected)
        state.Include(TCellStateFlag::csSelected);
    if (pc.Focused && !FOptions.Contains(TGridOption::goHideFocus))
        state.Include(TCellStateFlag::csFocused);
    DoCellColoring(ACol, ARow, cellColor, gridColor, state);
    if (FOptions.Contains(TGridOption::goIndicateSortedColumn) && column->Sorted() && !selected)
        cellColor = kSortedColumnColor;

    pc.ClipTo(withLines);
    if (g > 0)
        DrawGridLines(pc, rect, gridColor, ARow == RowCount() - 1, column->VisibleIndex() == FColumns->VisibleCount() - 1);
    bool defaultDrawing = true;
    DoDrawCellBackground(ACol, ARow, rect, state, defaultDrawing);
    if (defaultDrawing) {
        bool open = (FState & gsCellEditing) != 0 && FEditCol == ACol && FEditRow == ARow;
        c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
        c.Brush().SetColor(cellColor);
        if (open)
            c.FrameRect(rect);
        else
            c.FillRect(rect);
        TDrawingOptions drawing = column->DrawingOptions();
        if (drawing == TDrawingOptions::doNormal || drawing == TDrawingOptions::doCustom)
            DrawCellContent(c, column, ARow, rect, selected);
    }
    if (column->DrawingOptions() != TDrawingOptions::doNormal)
        DoCustomDrawCell(ACol, ARow, rect, state);
    if (!FOptions.Contains(TGridOption::goSelectFullRow) && ACol == FCurrentCol && ARow == FCurrentRow)
        DrawFocus(pc);
    pc.ClipTo(pc.RowArea);
}

bool TCustomGridViewControl::RowsPaintWhole(const TPaintContext& pc, bool dataRows) const
{
    // Any hook may draw or colour a cell its own way; framed and horizontal-only lines differ
    // from cell to cell at the edges. Only the plain text painters are known to draw inside
    // their text rectangle and nothing else.
    if (!FPaintByRows || OnCellColoring || OnDrawCellBackground || OnCustomDrawCell || pc.Columns.empty())
        return false;
    if (pc.Layout.GridLineWidth() > 0 && FGridLinesStyle != TGridLinesStyle::lsNormal)
        return false;
    for (TCustomColumn* column : pc.Columns) {
        if (!dataRows)
            break;
        if (column->DrawingOptions() != TDrawingOptions::doNormal)
            return false;
        if (FOptions.Contains(TGridOption::goIndicateSortedColumn) && column->Sorted())
            return false;
        const ui::TComponent* display = column->Display();
        if (display == nullptr)
            return false;
        const std::type_info& type = typeid(*display);
        if (type != typeid(TTextualColumnDisplay) && type != typeid(TDateColumnDisplay) &&
            type != typeid(TNumericColumnDisplay) && type != typeid(TIncrementColumnDisplay))
            return false;
        if (column->WrapKind() == TWrapKind::wkWordWrap)
            return false;
    }
    return true;
}

bool TCustomGridViewControl::RowPaintsWhole(int ARow) const
{
    if (ARow >= RowCount())
        return true;
    // The current row carries the focus frame, the hot row a hot look, the edited row an
    // editor's frame; a selected cell has its own colours.
    if (ARow == FCurrentRow || ARow == HotRow() || (EditorOpen() && ARow == FEditRow))
        return false;
    for (int i = 0; i < FColumns->Count(); ++i)
        if (CellSelected(i, ARow))
            return false;
    return true;
}

void TCustomGridViewControl::DrawWholeRow(TPaintContext& pc, int ARow)
{
    const TGridLayout& l = pc.Layout;
    const int g = l.GridLineWidth();
    const bool exists = ARow < RowCount();
    ui::TCanvas& c = pc.Canvas;
    // The cells' rectangles and colours, as the per-cell path would find them.
    using TPiece = TPaintContext::TPiece;
    pc.Pieces.clear();
    for (TCustomColumn* column : pc.Columns) {
        ui::TRect rect = l.CellRect(column->Left(), column->Width(), ARow);
        pc.Pieces.push_back({column, rect, exists ? CellBackColor(column->Index(), ARow) : Color()});
    }
    // The columns lie side by side, each with its line; a gap would break the row into parts.
    for (size_t k = 1; k < pc.Pieces.size(); ++k)
        if (pc.Pieces[k].Rect.left != pc.Pieces[k - 1].Rect.right + g) {
            DrawRowByCells(pc, ARow);
            return;
        }
    // Each cell drew inside its rectangle and lines, cut at the data area's foot; when the row
    // reaches outside the clip already set, the same cut is made once for the row.
    const ui::TRect& first = pc.Pieces.front().Rect;
    const ui::TRect& last = pc.Pieces.back().Rect;
    ui::TRect row = ui::Rect(first.left, first.top, last.right + g, std::min<LONG>(first.bottom + g, pc.Data.bottom));
    const bool ownClip = row.left < pc.RowArea.left || row.right > pc.RowArea.right || row.top < pc.RowArea.top;
    if (ownClip)
        pc.ClipTo(row);
    // One fill per run of cells of one colour: the lines between them are drawn over it.
    for (size_t k = 0; k < pc.Pieces.size();) {
        size_t end = k + 1;
        while (end < pc.Pieces.size() && pc.Pieces[end].Color == pc.Pieces[k].Color)
            ++end;
        Fill(c, ui::Rect(pc.Pieces[k].Rect.left, first.top, pc.Pieces[end - 1].Rect.right, first.bottom),
             pc.Pieces[k].Color);
        k = end;
    }
    if (g > 0) {
        c.Pen().SetWidth(1);
        c.Pen().SetStyle(ui::TPenStyle::psSolid);
        c.Pen().SetColor(clBtnFace);
        Line(c, first.left, first.bottom, last.right + 1, first.bottom);
        for (const TPiece& piece : pc.Pieces)
            Line(c, piece.Rect.right, piece.Rect.top, piece.Rect.right, piece.Rect.bottom + 1);
    }
    if (exists)
        for (const TPiece& piece : pc.Pieces)
            DrawCellContent(c, piece.Column, ARow, piece.Rect, false);
    if (ownClip)
        pc.ClipTo(pc.RowArea);
}

void TCustomGridViewControl::DrawRowByCells(TPaintContext& pc, int ARow)
{
    const bool exists = ARow < RowCount();
    for (TCustomColumn* column : pc.Columns) {
        if (exists)
            DrawCellIn(pc, column, ARow);
        else
            DrawEmptyCellIn(pc, column, ARow);
    }
}

void TCustomGridViewControl::DrawCellContent(ui::TCanvas& canvas, TCustomColumn* column, int ARow,
                                             const ui::TRect& rect, bool selected)
{
    auto* display = dynamic_cast<TColumnDisplay*>(column->Display());
    if (display == nullptr)
        return;
    int ACol = column->Index();
    TCellValue value;
    if (!PrepareCellFont(ACol, ARow, value))
        return;
    TCellDrawState state{.Canvas = canvas, .Rect = rect};
    state.Selected = selected;
    state.Current = ACol == FCurrentCol && ARow == FCurrentRow;
    state.Hot = ACol == HotCol() && ARow == HotRow();
    state.Pressed = CheckBoxPressed(ACol, ARow);
    state.Window = HandleAllocated() ? Handle() : nullptr;
    display->DrawContent(state, value);
    if (value.HasHint)
        display->DrawHintMarker(state);
}

void TCustomGridViewControl::DrawEmptyCellIn(TPaintContext& pc, TCustomColumn* column, int ARow)
{
    const TGridLayout& l = pc.Layout;
    int g = l.GridLineWidth();
    ui::TRect rect = l.CellRect(column->Left(), column->Width(), ARow);
    if (!Intersects(ui::Rect(rect.left, rect.top, rect.right + g, rect.bottom + g), pc.ClipBox))
        return;
    TColor cellColor = Color();
    TColor gridColor = clBtnFace;
    DoCellColoring(column->Index(), ARow, cellColor, gridColor, TCellState{});
    if (g > 0)
        DrawGridLines(pc, rect, gridColor, false, false);
    Fill(pc.Canvas, rect, cellColor);
}

bool TCustomGridViewControl::FocusFrameShown() const
{
    return FCurrentCol >= 0 && FCurrentCol < FColumns->Count() && FCurrentRow >= 0 && FCurrentRow < RowCount() &&
           GridFocused() && !FInputRowActive && !FOptions.Contains(TGridOption::goHideFocus) &&
           FColumns->Items(FCurrentCol)->Visible();
}

ui::TRect TCustomGridViewControl::FocusRect(const TGridLayout& l) const
{
    ui::TRect data = l.DataRect();
    ui::TRect r;
    if (FOptions.Contains(TGridOption::goSelectFullRow)) {
        int top = l.RowPitch() * (FCurrentRow - l.TopRow) + data.top;
        r = ui::Rect(data.left - l.ScrollX, top, data.left + l.VisibleWidth - l.ScrollX - l.GridLineWidth(),
                     top + FRowSize);
    } else {
        TCustomColumn* column = FColumns->Items(FCurrentCol);
        r = l.CellRect(column->Left(), column->Width(), FCurrentRow);
    }
    return Intersection(r, data);
}

void TCustomGridViewControl::DrawFocus(TPaintContext& pc)
{
    if (!FocusFrameShown())
        return;
    ui::TRect r = FocusRect(pc.Layout);
    if (ui::IsRectEmptyOrInverted(r))
        return;
    TGraphicsProvider::DrawFocusFrame(pc.Canvas, r, FOptions.Contains(TGridOption::goAlphaBlendedSelection));
}

void TCustomGridViewControl::InvertFocusFrame(const TGridLayout& l)
{
    ui::TRect r = FocusRect(l);
    if (ui::IsRectEmptyOrInverted(r))
        return;
    ui::TWindowDC dc(Handle(), ui::TWindowDC::waClient);
    if (dc == nullptr)
        return;
    // The canvas goes first and gives the context back with its own objects selected.
    ui::TCanvas canvas;
    canvas.SetHandle(dc);
    TGraphicsProvider::DrawFocusFrame(canvas, r, false);
}

void TCustomGridViewControl::SettleScrollAreas()
{
    // What a scroll moves, and by how much, follows the layout: settled before each paint and
    // each scroll, so that neither depends on a paint having run since the layout changed.
    TGridLayout l = Layout();
    ui::TRect data = l.DataRect();
    HorzScrollArea = ui::Rect(data.left, 0, l.ClientWidth, l.ClientHeight);
    VertScrollArea = ui::Rect(0, data.top, data.right, data.bottom);
    VertUnitSize = FGridStyle == TGridStyle::gsSlides ? GridLineWidth() + FSlideSize : l.RowPitch();
}

void TCustomGridViewControl::ScrollBy(int dx, int dy)
{
    SettleScrollAreas();
    bool dotted = dx != 0 && HandleAllocated() && IsWindowVisible(Handle()) && FGridStyle == TGridStyle::gsReport &&
                  !FOptions.Contains(TGridOption::goAlphaBlendedSelection) && FocusFrameShown();
    if (!dotted) {
        TScrollView::ScrollBy(dx, dy);
        return;
    }
    // The position is already the new one; the frame on the screen is still at the old one.
    TGridLayout before = Layout();
    before.ScrollX += dx * HorzUnitSize;
    InvertFocusFrame(before);
    TScrollView::ScrollBy(dx, dy);
    InvertFocusFrame(Layout());
}

// ---------------------------------------------------------------------------------------------
// Slides

void TCustomGridViewControl::PaintSlides(TPaintContext& pc)
{
    const TGridLayout& l = pc.Layout;
    ui::TCanvas& c = pc.Canvas;
    int g = l.GridLineWidth();
    int pitch = FSlideSize + g;
    if (pitch <= 0)
        return;
    int rows = RowCount();
    int skip = std::max(0, static_cast<int>(pc.ClipBox.top) / pitch);
    int y = skip * pitch;
    for (int row = l.TopRow + skip; row < rows && y < l.ClientHeight && y < pc.ClipBox.bottom; ++row, y += pitch) {
        ui::TRect slide = ui::Rect(0, y, l.ClientWidth, y + FSlideSize);
        Fill(c, slide, Color());
        if (g > 0) {
            c.Pen().SetColor(clBtnFace);
            Line(c, 0, slide.bottom, l.ClientWidth, slide.bottom);
        }
        for (int p = 0; p < FColumns->Count(); ++p) {
            TCustomColumn* column = FColumns->DisplayItems(p);
            if (!column->Visible())
                continue;
            const TSlideBounds* b = column->SlideBounds();
            ui::TRect cell = ui::Bounds(b->Left(), y + b->Top(), b->Width(), b->Height());
            if (ui::IsRectEmptyOrInverted(cell) || !Intersects(cell, pc.ClipBox))
                continue;
            int ACol = column->Index();
            pc.ClipTo(Intersection(cell, slide));
            Fill(c, cell, CellBackColor(ACol, row));
            DrawCellContent(c, column, row, cell, CellSelected(ACol, row));
            pc.ResetClip();
        }
        if (row == FCurrentRow) {
            c.Brush().SetColor(clHighlight);
            c.FrameRect(TCalcProvider::ShiftEdges(slide, 1, 1, -1, -1));
            c.FrameRect(TCalcProvider::ShiftEdges(slide, 2, 2, -2, -2));
        }
    }
    if (y < l.ClientHeight)
        Fill(c, ui::Rect(0, y, l.ClientWidth, l.ClientHeight), Color());
}

} // namespace grid
