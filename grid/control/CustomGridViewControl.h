// The grid control's core: areas and cell geometry, selection and editing state, the update
// bracket, invalidation, and the abstract cell operations that a concrete grid implements.
//
// Terms used across the grid units:
//   index             a column's place in creation order (TColumns::Items); cells are addressed so
//   display position  a column's place left to right (TColumns::DisplayItems, Position)
//   data area         the rows' rectangle below the header and the input row (DataRect)
//   input row         the optional row of edit fields under the header (goInput)
//   hx, vy            horizontal scroll position in pixels, first row shown (vertical position)
//   hot cell/header   the cell or header under the pointer, repainted as the pointer moves
//   pressed header    a header held down by the left button (coCanClick), drawn pressed
//   picked column     the header a press landed on; a move of more than 3 pixels drags it
//
// Call flows, one step a line (the folders are layers: grid/README.md).
// Paint (CustomGridViewPaint.cpp):
//   1. WM_PAINT -> SyncScrollRanges: scroll ranges and unit sizes settle before BeginPaint.
//   2. Paint reads only; it builds a TPaintContext (layout, clip box, focus) for the steps below.
//   3. gsSlides: PaintSlides draws each slide's columns in their SlideBounds; nothing more.
//   4. PaintColumnParts: the part painter's DrawPart per header, input cell and footer cell.
//   5. PaintBands: the input row's and the footer's raised bands, the indicator's fixed cells.
//   6. PaintRows: DrawCellIn or DrawEmptyCellIn for each cell the clip box touches.
//   7. DrawCellIn: colours (CellBackColor, OnCellColoring), clip, grid lines,
//      OnDrawCellBackground, fill.
//   8. DrawCellContent: PrepareCellFont fills a TCellValue; the painter's DrawContent gets it and
//      a TCellDrawState (rectangle, window, selected, current, hot, pressed).
//   9. DrawHintMarker, OnCustomDrawCell, DrawFocus; then PaintEmptyArea and PaintCaption.
// Change:
//   1. A cell setter -> TCells::Change -> the store's hook -> InvalidateCell and OnChange.
//   2. A column setter -> TColumns::OnColumnChange -> ColumnChanged: repaint, editor, sort, ranges.
//   3. Row operations (AddRows, DeleteRow, ClearRows) set the ranges and keep the current cell
//      on a row that exists (KeepCurrentCellInRows).
// Click (GridMouse.cpp):
//   1. Each mouse message -> HandleInputMessage; in design mode LeftToDesigner may take it.
//   2. WM_LBUTTONDOWN -> MouseDown: focus, commit and close an open editor, HitTest.
//   3. A sizing edge -> StartSizing (GridSizing.cpp); moves -> TrackSizing; release -> EndSizing.
//   4. Data -> PressData -> SetCurrentCell -> OnSelectCell; HandleCheckBoxMouseDown (plain press).
//   5. Header -> PressHeader; a move past 3 pixels -> StartColumnDrag (GridDrag.cpp), the drag
//      box reports ColumnDragMove, ColumnDrop or EndColumnDrag.
//   6. WM_MOUSEMOVE -> MouseMove: TrackData (hot cell, text-fit hint, cursor) or TrackHeader.
//   7. WM_LBUTTONUP -> MouseUp: EndCheckBoxPress, OnCellClick (same cell), OnHeaderClick.
//   8. The release gate (same cell, no multi-row selection, not designing): ClickCheckBox on
//      the box, else OpenCellEditor; header: sort (coCanSort); input row: OpenInputEditor.
//   9. WM_CANCELMODE, a lost capture or leaving the application -> CancelPress.
//  10. WM_MOUSEWHEEL -> MouseWheel (not while a cell editor is open) -> OnMouseWheelDown/Up.
// Key (GridKeyboard.cpp):
//   1. WM_KEYDOWN -> KeyDown -> KeyMove (arrows, pages, Home, End, input row) -> OnKeyDown.
//   2. WM_CHAR -> KeyPress -> OnKeyPress -> Enter (WantReturns, SelectionMoveDirection).
//   3. Other characters -> TypeChar: HandleCheckBoxKey, then AcceptsKey -> OpenCellEditor or
//      OpenInputEditor, then IncrementalSearch (500 ms timer) -> MoveToRow.
// Edit (GridEditing.cpp):
//   1. OpenCellEditor / OpenInputEditor: OnBeforeEdit, AttachEditor, the column's PrepareEditor
//      (the editor's PrepareFor reads the column's settings), text, PlaceEditor.
//   2. The editor reports text changes -> OnEdit; keys -> EditorKeyDown; focus loss -> EditorExit.
//   3. Enter -> CommitEdit (OnAfterEdit, SetCellText) -> CloseEditor -> MoveAfterEnter.
//   4. Input row: CommitEdit -> AcceptInput (OnInputAccept, AddRows, InputText per column).
//   5. Scrolling, sizing, font, row operations, sorting and focus loss close the editor.
#pragma once

#include "grid/data/Columns.h"
#include "grid/data/GridHost.h"
#include "grid/layout/GridLayout.h"
#include "grid/view/Displays.h"
#include "grid/view/ScrollView.h"
#include "grid/view/ThemesSupport.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace grid {

// Bits of the grid's 16-bit state word.
enum TGridStateBit : uint16_t {
    gsColumnSizing = 1 << 0, gsHeaderPressed = 1 << 1, gsColumnDragging = 1 << 2, gsCellEditing = 1 << 3,
    gsInputEditing = 1 << 4, gsMultiSelection = 1 << 5, gsUpdating = 1 << 6
};

class TColumnPartDisplay;
struct TCellValue;
struct TPartDrawState;
struct TGridGeometry;
struct TGridHit;
struct TGridInputState;
class TColumnDragBox;
class TDragArrow;
class THintWindow;
class TCellEditor;

using TCellColoringEvent = std::function<void(ui::TObject* Sender, int ACol, int ARow, TColor& CellColor,
                                              TColor& GridColor, TCellState CellState)>;
using TDrawCellBackgroundEvent = std::function<void(ui::TObject* Sender, int ACol, int ARow, const ui::TRect& CellRect,
                                                    TCellState CellState, bool& DefaultDrawing)>;
using TCustomDrawCellEvent =
    std::function<void(ui::TObject* Sender, int ACol, int ARow, const ui::TRect& CellRect, TCellState CellState)>;
using TSelectCellEvent = std::function<void(ui::TObject* Sender, int ACol, int ARow)>;
using TSortColumnEvent = std::function<void(ui::TObject* Sender, int ACol, bool Ascending)>;
using TCellClickEvent = std::function<void(ui::TObject* Sender, int ACol, int ARow)>;
using THeaderClickEvent = std::function<void(ui::TObject* Sender, int ACol)>;
using TMouseWheelUpDownEvent =
    std::function<void(ui::TObject* Sender, ui::TShiftState Shift, ui::TPoint MousePos, bool& Handled)>;
using TBeforeEditEvent = std::function<void(ui::TObject* Sender, int ACol, int ARow, bool& Accept)>;
using TAfterEditEvent =
    std::function<void(ui::TObject* Sender, int ACol, int ARow, const std::wstring& Value, bool& Accept)>;
using TGridEditEvent = std::function<void(ui::TObject* Sender, int ACol, int ARow, const std::wstring& Value)>;
using TApplyCellEvent = std::function<void(ui::TObject* Sender, int ACol, int ARow, std::wstring& Value)>;
using TInputAcceptEvent = std::function<void(ui::TObject* Sender, bool& Accept)>;
// Dragging one control onto another. The class library does no such dragging, so the grid
// stores handlers for these events (a description may name them) but never raises them.
enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };
using TDragDropEvent = std::function<void(ui::TObject* Sender, ui::TObject* Source, int X, int Y)>;
using TDragOverEvent =
    std::function<void(ui::TObject* Sender, ui::TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TStartDragEvent = std::function<void(ui::TObject* Sender, ui::TObject*& DragObject)>;
using TEndDragEvent = std::function<void(ui::TObject* Sender, ui::TObject* Target, int X, int Y)>;

// The grid control: geometry, selection and editing state, invalidation and the abstract cell
// operations. Owns its column collection.
class TCustomGridViewControl : public TScrollView, public TGridHost, public TPartDisplayHost {
    UI_PUBLISHED_CLASS
public:
    explicit TCustomGridViewControl(ui::TComponent* AOwner);
    ~TCustomGridViewControl() override;

    TColumns* Columns() const { return FColumns; }

    // --- abstract cell operations, implemented by the grid that holds the cells ---
    virtual std::wstring GetCellText(int ACol, int ARow) = 0;
    virtual TColor GetCellColor(int ACol, int ARow) = 0;
    virtual int RowCount() const = 0;
    // Sets the canvas font for the cell (the column's font, its colour from CellTextColor, bold
    // for a selected cell with goBoldTextSelection) and fills `value` with what the cell holds
    // (a grid that holds cells reads it by the column's CellKind). True lets the column's
    // painter draw.
    virtual bool PrepareCellFont(int ACol, int ARow, TCellValue& value);
    // The cell's own colour, or the selection colour when the cell is selected.
    TColor CellBackColor(int ACol, int ARow) override;
    // The column font's colour, or clHighlightText for a selected cell of a focused grid with
    // goHighlightTextSelection.
    TColor CellTextColor(int ACol, int ARow) override;
    virtual void SetCellText(int ACol, int ARow, const std::wstring& text) = 0;
    virtual void SortColumn(TCustomColumn* column, bool ascending) = 0;
    virtual void AddRows(int Count) = 0;
    virtual void FooterFormulas() = 0;
    virtual void ClearRows();
    virtual void DeleteRow(int ARow) = 0;
    virtual void InsertRow(int ARow) = 0;
    virtual void MoveRow(int FromRow, int ToRow) = 0;
    // The value of an in-cell element (a check box) read from and written to its cell.
    virtual void PlayValueIn(ui::TComponent* element) = 0;
    virtual void PlayValueOut(ui::TComponent* element) = 0;

    // --- the host the columns and cells report to ---
    ui::TComponent* HostComponent() override { return this; }
    TColumns* HostColumns() override { return FColumns; }
    bool HostLoading() const override { return IsLoading(); }
    bool HostDesigning() const override;
    // What the part painter reads (TPartDisplayHost).
    HWND PartWindow() const override;
    TColor PartBackground() const override;
    TWindowThemes& PartThemes() override { return FThemes; }
    THeaderStyle PartHeaderStyle() const override { return HeaderStyle(); }
    TGridOptions PartOptions() const override { return FOptions; }
    int PartGridLineWidth() const override { return GridLineWidth(); }
    int PartCurrentCol() const override { return FCurrentCol; }
    int PartVisibleColumns() const override;
    const ui::TFont* PartFont() const override;
    void InvalidateColumnData(TCustomColumn* column) override { InvalidateColumnPart(column, TGridArea::gaData); }

    // --- update bracket: one flag, not a counter ---
    void BeginUpdate() { FState |= gsUpdating; }
    void EndUpdate() { FState &= static_cast<uint16_t>(~gsUpdating); }
    bool Updating() const { return (FState & gsUpdating) != 0; }
    uint16_t State() const { return FState; }

    // --- properties of layout ---
    TGridBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TGridBorderStyle v);
    TGridStyle GridStyle() const { return FGridStyle; }
    void SetGridStyle(TGridStyle v);
    TGridLinesStyle GridLinesStyle() const { return FGridLinesStyle; }
    void SetGridLinesStyle(TGridLinesStyle v);
    int HeaderSize() const { return FHeaderSize; }
    void SetHeaderSize(int v);
    THeaderStyle HeaderStyle() const { return FHeaderStyle; }
    void SetHeaderStyle(THeaderStyle v);
    bool HideScrollBar() const { return FHideScrollBar; }
    void SetHideScrollBar(bool v) { FHideScrollBar = v; }
    int InputSize() const { return FInputSize; }
    void SetInputSize(int v);
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions v);
    int RowSize() const { return FRowSize; }
    void SetRowSize(int v);
    int SlideSize() const { return FSlideSize; }
    void SetSlideSize(int v);
    TSelectionMoveDirection SelectionMoveDirection() const { return FSelectionMoveDirection; }
    void SetSelectionMoveDirection(TSelectionMoveDirection v) { FSelectionMoveDirection = v; }
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool v) { FWantReturns = v; }

    // --- geometry ---
    TGridLayout Layout() const;
    int GridLineWidth() const { return FOptions.Contains(TGridOption::goGrid) ? 1 : 0; }
    int IndicatorWidth() const override { return FOptions.Contains(TGridOption::goIndicator) ? kIndicatorWidth : 0; }
    ui::TRect HeaderRect() const { return Layout().HeaderRect(); }
    ui::TRect InputRect() const { return Layout().InputRect(); }
    ui::TRect DataRect() const { return Layout().DataRect(); }
    ui::TRect FooterRect() const { return Layout().FooterRect(); }
    ui::TRect IndicatorRect() const { return Layout().IndicatorRect(); }
    ui::TRect CellRect(int ACol, int ARow) const;
    ui::TRect RowRect(int ARow) const { return Layout().RowRect(ARow); }
    int VisibleRowCount() const { return Layout().VisibleRowCount(); }
    // The cell under a client point of the data area: the first visible column in display order
    // whose strip holds x (both edges included), and the row of y. False outside the data area
    // or the columns; the row may lie beyond the existing rows.
    bool CellAt(int x, int y, int& ACol, int& ARow) const;

    // --- invalidation (nothing without a window) ---
    void InvalidateArea(TGridArea area);
    void InvalidateColumnPart(TCustomColumn* column, TGridArea area);
    void InvalidateCell(int ACol, int ARow);
    void InvalidateRow(int ARow);
    // The rows from ARow down to the bottom of the data area, and the footer.
    void InvalidateRowsFrom(int ARow);
    // Row ARow is gone and the rows under it moved up one: when their pixels would paint the
    // same one row higher, they are moved on the screen and only the row uncovered at the foot
    // (and the footer) is repainted; otherwise as InvalidateRowsFrom.
    void RowsMovedUpFrom(int ARow);
    void InvalidateGridRect(const ui::TRect& rect);

    // --- selection and editing state ---
    int CurrentCol() const { return FCurrentCol; }
    int CurrentRow() const { return FCurrentRow; }
    void SetCurrentCell(int ACol, int ARow, ui::TShiftState Shift = {});
    bool RowSelected(int ARow) const;
    int SelectionMarkCount() const { return static_cast<int>(FRowMarks.size()); }
    bool InputRowActive() const { return FInputRowActive; }
    int EditCol() const { return FEditCol; }
    int EditRow() const { return FEditRow; }
    bool EditorOpen() const { return (FState & (gsCellEditing | gsInputEditing)) != 0; }

    // --- editing: the grid's side (grid/control/GridEditing.cpp) ---
    // The keyboard and mouse code calls these where an editor opens, takes its text back or
    // closes; the editors themselves live in grid/editors.
    // Opens the column's editor on an existing data cell; `initial` replaces the cell's text
    // when not empty.
    virtual void OpenCellEditor(int ACol, int ARow, const std::wstring& initial);
    // Makes the input row active and opens the column's editor on its input cell.
    virtual void OpenInputEditor(int ACol, const std::wstring& initial);
    // Takes the open editor's text into its cell (or the column's input text); false when
    // nothing was taken.
    virtual bool CommitEdit();
    // Appends a row made of the columns' input texts, when OnInputAccept agrees.
    virtual void AcceptInput();
    void SetInputRowActive(bool value);
    // Closes an open editor without taking its text.
    virtual void CloseEditor();
    // Moves an open editor to its cell's current rectangle.
    virtual void PlaceEditor();
    // The open editor (nullptr when none).
    TCellEditor* Editor() const { return FEditor; }
    // The check box of a TCheckBoxColumn cell under Space on the current cell; true when the key
    // was the check box's. (The mouse reaches the box only through the release gate of MouseUp.)
    bool HandleCheckBoxKey(wchar_t key);
    // The check-box cell held down by the mouse (it shows the pressed look).
    bool CheckBoxPressed(int ACol, int ARow) const { return ACol == FCheckBoxPressCol && ARow == FCheckBoxPressRow; }

    TBeforeEditEvent OnBeforeEdit;
    TAfterEditEvent OnAfterEdit;
    TGridEditEvent OnEdit;
    // Stored with the grid's events but never raised.
    TApplyCellEvent OnApplyCell;
    TInputAcceptEvent OnInputAccept;

    // --- painting (CustomGridViewPaint.cpp) ---
    // Draws one cell of an existing row on the canvas of the paint in progress.
    void DrawCell(int ACol, int ARow);
    // Draws a cell position below the last row: the grid's colour and its grid lines.
    void DrawEmptyCell(int ACol, int ARow);
    // Whether the cell shows the selection look (the focus and editing state included).
    bool CellSelected(int ACol, int ARow) const;
    // The grid or its open editor has the keyboard focus.
    bool GridFocused() const;
    // The header held down by the mouse (column index), -1 for none; its header repaints.
    int PressedHeader() const { return FPressedHeader; }
    void SetPressedHeader(int ACol);
    TColumnPartDisplay& PartDisplay() { return *FPartDisplay; }

    TCellColoringEvent OnCellColoring;
    TDrawCellBackgroundEvent OnDrawCellBackground;
    TCustomDrawCellEvent OnCustomDrawCell;

    // Rows whose cells need nothing of their own are painted a row at a time (one fill per run
    // of cells of one colour, whole grid lines); off, every cell takes the per-cell path. Both
    // give the same pixels; the switch exists so that a test can hold one against the other.
    bool PaintByRows() const { return FPaintByRows; }
    void SetPaintByRows(bool v) { FPaintByRows = v; }

    // --- scroll ranges ---
    void UpdateVertScrollRange();
    void UpdateHorzScrollRange();
    // Takes the dotted focus frame off the screen before the content moves sideways and puts it
    // back after, so the moved part and the part painted anew line up.
    void ScrollBy(int dx, int dy) override;

    TSelectCellEvent OnSelectCell;
    TSortColumnEvent OnSortColumn;

    // --- input (GridMouse, GridKeyboard, GridDrag) ---
    // The geometry hit testing works on, and what lies under a client point.
    TGridGeometry Geometry() const;
    TGridHit HitTest(int x, int y) const;
    // Makes ARow current in the current column and leaves the input row; nothing beyond the rows.
    void MoveToRow(int ARow);
    // The nearest visible column before or after the current one in display order becomes current.
    void SelectPreviousColumn();
    void SelectNextColumn();
    // The cell and header under the pointer (-1 for none).
    int HotCol() const;
    int HotRow() const;
    int HotHeader() const;
    // The column whose edge is being dragged (-1 for none), and the width change so far.
    int SizingColumn() const;
    int SizingChange() const;
    // The column being dragged to a new place (-1 for none).
    int DraggedColumn() const;
    // Incremental search: the text typed so far and the timer that empties it.
    const std::wstring& SearchText() const;
    ui::TTimer* SearchTimer() const;
    TColumnDragBox* DragBox() const;
    TDragArrow* DragArrow(int which) const; // 0 the upper (down-pointing) arrow, 1 the lower
    THintWindow* TextFitHint() const;

    TCellClickEvent OnCellClick;
    THeaderClickEvent OnHeaderClick;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;

    // Stored children: the columns, read back under the column collection.
    ui::TComponent* GetChildOwner() override;
    void GetChildren(const std::function<void(ui::TComponent*)>& proc, ui::TComponent* root) override;
    void Loaded() override;
    void WndProc(ui::TMessage& message) override;
    // Screen readers see the header and the rows through TGridAccessible (GridAccessible.cpp).
    bool AnswerAccessibleObject(ui::TMessage& message) override;
    // The styled parts' theme data, kept open for this window while the theme stays.
    TWindowThemes& Themes() { return FThemes; }

protected:
    void CreateParams(ui::TCreateParams& params) override;
    void CreateHandleDone() override;
    virtual void ColumnChanged(TCustomColumn* column, int kind);
    virtual void LayoutChanged(int action, int index1, int index2);
    virtual void DoSelectCell(int ACol, int ARow);
    virtual void DoSortColumn(int ACol, bool Ascending);
    virtual void DoCellClick(int ACol, int ARow);
    virtual void DoHeaderClick(int ACol);
    // Input handlers (GridMouse, GridKeyboard).
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void DblClick() override;
    bool MouseWheel(ui::TShiftState shift, int delta, ui::TPoint screen) override;
    void MouseLeft();
    void KeyDown(WORD& key, ui::TShiftState shift) override;
    void KeyPress(wchar_t& key) override;
    void DoEnter() override;
    void DoExit() override;
    void FocusChanged();
    void BeforeScroll(uint8_t kind) override;
    void FontChanged() override;
    // Called by the store's row operations to keep one selection mark per row.
    void InsertRowMarks(int at, int count);
    void EraseRowMark(int at);
    void MoveRowMark(int from, int to);
    void ClearRowMarks();
    // After rows went away: the current row comes back inside the rows (row 0 of an empty grid
    // is its resting place) and, unless rows are marked one by one, is the marked row again.
    void KeepCurrentCellInRows();
    void Resized(int oldWidth, int oldHeight);
    void Paint() override;
    void TextChanged() override;
    virtual void DoCellColoring(int ACol, int ARow, TColor& CellColor, TColor& GridColor, TCellState CellState);
    virtual void DoDrawCellBackground(int ACol, int ARow, const ui::TRect& rect, TCellState CellState,
                                      bool& DefaultDrawing);
    virtual void DoCustomDrawCell(int ACol, int ARow, const ui::TRect& rect, TCellState CellState);
    virtual void DoBeforeEdit(int ACol, int ARow, bool& Accept);
    virtual void DoAfterEdit(int ACol, int ARow, const std::wstring& Value, bool& Accept);
    virtual void DoEdit(int ACol, int ARow, const std::wstring& Value);
    virtual void DoInputAccept(bool& Accept);

    uint16_t FState = 0;
    int FCurrentCol = 0;
    int FCurrentRow = 0;
    int FAnchorRow = -1;
    int FEditCol = -1;
    int FEditRow = -1;
    int FInputEditColumn = -1;
    bool FInputRowActive = false;
    bool FPaintByRows = true;

private:
    // What one paint works with: the layout, the canvas's clip box and the clip the paint
    // started with (restored after each cell's own clip).
    struct TPaintContext;
    void SyncScrollRanges();
    void SettleScrollAreas();
    void PaintColumnParts(TPaintContext& pc);
    void PaintBands(TPaintContext& pc);
    void PaintRows(TPaintContext& pc);
    void PaintEmptyArea(TPaintContext& pc);
    void PaintCaption(TPaintContext& pc);
    void PaintSlides(TPaintContext& pc);
    void DrawCellIn(TPaintContext& pc, TCustomColumn* column, int ARow);
    void DrawEmptyCellIn(TPaintContext& pc, TCustomColumn* column, int ARow);
    // Whether this paint's hooks (and, for rows that hold data, its columns) allow rows to be
    // painted whole, and whether row ARow (or a row past the last, ARow >= RowCount) may be.
    bool RowsPaintWhole(const TPaintContext& pc, bool dataRows) const;
    bool RowPaintsWhole(int ARow) const;
    void DrawWholeRow(TPaintContext& pc, int ARow);
    // Each of the row's cells on its own (data cells, or empty ones past the last row).
    void DrawRowByCells(TPaintContext& pc, int ARow);
    // The column's painter draws the cell's value (PrepareCellFont) in its state, then the hint
    // marker when the cell has a hint.
    void DrawCellContent(ui::TCanvas& canvas, TCustomColumn* column, int ARow, const ui::TRect& rect, bool selected);
    void DrawGridLines(TPaintContext& pc, const ui::TRect& rect, TColor gridColor, bool lastRow, bool lastColumn);
    void DrawFocus(TPaintContext& pc);
    bool FocusFrameShown() const;
    ui::TRect FocusRect(const TGridLayout& l) const;
    void PaintThemedBorder();
    void InvertFocusFrame(const TGridLayout& l);
    void InvalidateFocusedCell();
    // Editing (grid/control/GridEditing.cpp, grid/control/GridCheckBox.cpp).
    void AttachEditor(TCellEditor* editor, TCustomColumn* column, int margin, TColor color);
    void EditorKeyDown(WORD& key, ui::TShiftState shift);
    void EditorExit();
    void MoveAfterEnter();
    TCellEditor* FEditor = nullptr;
    int FCheckBoxPressCol = -1; // the check-box cell a mouse press went down on
    int FCheckBoxPressRow = -1;

    // Input steps (GridMouse, GridKeyboard, GridDrag, GridSizing).
    bool HandleInputMessage(ui::TMessage& message);
    // In design mode: true when the grid takes a mouse message at client point (x, y) (in the
    // header strip, or while a press, a sizing or a pressed header lasts); a mouse message it
    // does not take goes to the default handling untouched.
    bool DesignHitTest(int x, int y) const;
    bool LeftToDesigner(ui::TMessage& message);
    void PressData(const TGridHit& hit, ui::TShiftState shift);
    void PressHeader(const TGridHit& hit);
    void ReleaseOver(const TGridHit& hit, int x, int y);
    void TrackData(const TGridHit& hit, int x, int y);
    void TrackHeader(const TGridHit& hit, int x, int y, ui::TShiftState shift);
    void SetHotCell(int ACol, int ARow);
    void SetHotHeader(int ACol);
    void SetGridCursor(ui::TCursor cursor);
    void StartSizing(int ACol);
    void TrackSizing(int x);
    void EndSizing(bool apply);
    void InvertGuideLine(int x);
    void ShowTextFitHint(int ACol, int ARow);
    void HideTextFitHint();
    void KeyMove(WORD key, ui::TShiftState shift);
    void TypeChar(wchar_t key);
    void IncrementalSearch(wchar_t key);
    void SearchTimerTick();
    void StartColumnDrag(int ACol, int x, int y);
    void ColumnDragMove(int sx, int sy);
    void ColumnDrop(int sx, int sy);
    void EndColumnDrag();
    // Ends every press (sizing, pressed or picked header, check box) without its effect, and
    // puts the cursor back: the mouse went elsewhere or the application was left.
    void CancelPress();
    // The check box's side of a press and release at client points: the press shows the box
    // pressed; ending it clears that look wherever the release happens and says whether the
    // release lies in the box the press went down on; ReleaseCheckBoxPress forgets the press
    // (the row it was on, -1 if none). ClickCheckBox is the gated release on a cell: true when
    // the point lies in the box (it flips when the press was there too).
    bool HandleCheckBoxMouseDown(int x, int y);
    bool EndCheckBoxPress(int x, int y);
    int ReleaseCheckBoxPress();
    bool ClickCheckBox(int ACol, int ARow, int x, int y, bool pressedHere);
    void CreateInputParts();
    void DestroyInputParts();

    std::unique_ptr<TGridInputState> FInput;
    TPaintContext* FPaint = nullptr; // the paint in progress, for DrawCell and DrawEmptyCell
    std::unique_ptr<TColumnPartDisplay> FPartDisplay;
    int FPressedHeader = -1;
    TColumns* FColumns = nullptr;
    std::vector<uint8_t> FRowMarks;
    bool FColumnsReadStarted = false;
    TGridBorderStyle FBorderStyle = TGridBorderStyle::bsSingle;
    TGridStyle FGridStyle = TGridStyle::gsReport;
    TGridLinesStyle FGridLinesStyle = TGridLinesStyle::lsNormal;
    int FHeaderSize = 18;
    THeaderStyle FHeaderStyle = THeaderStyle::hsAuto;
    bool FHideScrollBar = true;
    int FInputSize = 16;
    TGridOptions FOptions{TGridOption::goHeader, TGridOption::goHighlightTextSelection};
    int FRowSize = 16;
    int FSlideSize = 80;
    TSelectionMoveDirection FSelectionMoveDirection = TSelectionMoveDirection::mdDown;
    bool FWantReturns = false;
    int FLastClientWidth = -1;
    int FLastClientHeight = -1;
    TWindowThemes FThemes;
};

// The update bracket held for a scope: cells written inside raise no change and repaint nothing,
// and the bracket ends however the scope is left, so a failed write never leaves the grid
// updating (and thus never repainting a cell again).
class TGridUpdate {
public:
    explicit TGridUpdate(TCustomGridViewControl& grid) : FGrid(grid) { FGrid.BeginUpdate(); }
    ~TGridUpdate() { FGrid.EndUpdate(); }
    TGridUpdate(const TGridUpdate&) = delete;
    TGridUpdate& operator=(const TGridUpdate&) = delete;

private:
    TCustomGridViewControl& FGrid;
};

} // namespace grid

template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TGridStyle>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TGridLinesStyle>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::THeaderStyle>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TSelectionMoveDirection>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TGridBorderStyle>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TGridOption>();
