// Cell painters (one per column, of the class its DisplayClass names) and the grid's part
// painter for headers, input-row cells and footer cells.
//
// The grid decides where and when a cell is drawn and sets the canvas's font and colours; a
// painter only draws the content inside the rectangle it is given. Every painter can be driven
// on a memory bitmap's canvas, which is how the tests check them.
#pragma once

#include "grid/data/Columns.h"
#include "grid/layout/GridLayout.h"
#include "grid/view/ThemesSupport.h"

#include <windows.h>
#undef DrawText

#include <cstdint>
#include <string>
#include <vector>

namespace grid {

class TCustomGridViewControl;

// Counts of the drawing calls made while painting, for the benchmark's check that a paint
// draws text at most once per visible cell, header and footer.
struct TPaintCounters {
    long TextCalls = 0;
};
TPaintCounters& PaintCounters();

// Base of the per-column elements: knows the column it serves (its owner).
class TVirtualColElement : public ui::TComponent {
    UI_PUBLISHED_CLASS
public:
    explicit TVirtualColElement(ui::TComponent* AOwner);
    TCustomColumn* Column() const { return FColumn; }

private:
    TCustomColumn* FColumn;
};

// What one cell holds, as its painter draws it: one field per cell kind (the column's CellKind
// says which one the grid fills) and whether the cell carries a hint text.
struct TCellValue {
    bool Bool = false;
    double Float = 0;
    double Date = 0;
    int32_t Int = 0; // integers, and the row for row-number columns
    std::wstring Text;
    ui::TGraphic* Picture = nullptr; // not owned: the cell's picture
    bool HasHint = false;
};

// Where and how one cell is drawn. The canvas is the grid's (or a test's memory bitmap's), with
// the cell's font and colours already set; it only has to outlive the call.
struct TCellDrawState {
    ui::TCanvas& Canvas;
    ui::TRect Rect{};         // the cell rectangle, grid lines outside it
    bool RightToLeft = false; // the grid's reading order
    bool Selected = false;    // drawn in the selection look
    bool Current = false;     // the grid's current cell
    bool Hot = false;         // under the pointer
    bool Pressed = false;     // the cell's in-cell element is held down by the mouse
    HWND Window = nullptr;    // the grid's window, for styled parts (none before it exists)
};

// A cell painter: draws the value it is given in the state it is given, and keeps nothing
// between two cells.
class TColumnDisplay : public TVirtualColElement {
    UI_PUBLISHED_CLASS
public:
    explicit TColumnDisplay(ui::TComponent* AOwner) : TVirtualColElement(AOwner) {}

    // The cell rectangle narrowed by 2 pixels on the left and on the right.
    virtual ui::TRect TextRect(const TCellDrawState& state) const;
    // Draws text by the column's alignment, vertical alignment and wrapping; ampersands print.
    virtual void DrawText(const TCellDrawState& state, const std::wstring& text, const ui::TRect& rect);
    // A small red triangle in the cell's top-right corner: the cell has a hint.
    virtual void DrawHintMarker(const TCellDrawState& state);
    virtual void DrawContent(const TCellDrawState& state, const TCellValue& value) = 0;
};

// TextBefore + the cell's text + TextAfter.
class TTextualColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent(const TCellDrawState& state, const TCellValue& value) override;
};

// A check box, themed when visual styles are active, else an outlined square with a tick. The
// styled box shows its hot look under the pointer and its pressed look while the element is held
// down; the classic box shows only the pressed one (button face inside).
class TCheckBoxColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent(const TCellDrawState& state, const TCellValue& value) override;
};

class TDateColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent(const TCellDrawState& state, const TCellValue& value) override;
};

class TNumericColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent(const TCellDrawState& state, const TCellValue& value) override;
};

// The row's ordinal (row index + 1).
class TIncrementColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent(const TCellDrawState& state, const TCellValue& value) override;
};

// The image list's picture of the cell's number, optionally blended through a mask picture.
class TImageColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent(const TCellDrawState& state, const TCellValue& value) override;
};

// A bar of value / Max, solid or as a gradient, with an optional percentage text.
class TProgressColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent(const TCellDrawState& state, const TCellValue& value) override;
    // Where the bar's box goes in `cell` (after the margin and the room for the text).
    static ui::TRect BarBox(const ui::TRect& cell, int margin, bool showText);
    // Width of the filled bar inside the box less 2 pixels on every side: rounded, never past
    // that inner width and never negative.
    static int BarWidth(int innerWidth, double percent);
};

// Max glyphs side by side, the first `value` of them filled.
class TRateColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent(const TCellDrawState& state, const TCellValue& value) override;
};

// The font a cell's markup starts from: the cell font's colour, face and size in points.
struct THtmlFont {
    TColor Color = clBlack;
    std::wstring Name;
    int Size = 0;
};

// One piece of a cell's markup: a word and the font it is drawn in, or a line break. The style
// flags are added to the cell font's own styles, never taken from them.
struct THtmlRun {
    enum TKind { hrWord, hrBreak };
    TKind Kind = hrWord;
    std::wstring Text; // one word, without spaces; empty for a break
    THtmlFont Font;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
};

// Reads a cell's markup into words and line breaks. The tags: b, i, u, a (a link: blue and
// underlined), br, and font with color="#RRGGBB", name and size (points), which nests. Spaces
// and tags end a word; a '<' without a closing '>' is text to the end; unknown tags and closing
// tags that close nothing are ignored. Tag and attribute names are read in any case.
std::vector<THtmlRun> ParseHtmlRuns(const std::wstring& text, const THtmlFont& base);

// Text with a few inline tags (ParseHtmlRuns), word by word, cut with "..." at the right edge
// when the column's wrap kind asks for an ellipsis.
class THtmlColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent(const TCellDrawState& state, const TCellValue& value) override;

private:
    static void UseRunFont(ui::TCanvas& canvas, const ui::TFont& base, const THtmlRun& run);
};

// A picture scaled into the cell (keeping its proportions unless stretched), with frames.
class TGraphicColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent(const TCellDrawState& state, const TCellValue& value) override;
    // The rectangle a picture of w x h takes in `box`: the whole box when stretched, else scaled
    // by the smaller ratio and centred along the axis with room to spare.
    static ui::TRect FitRect(const ui::TRect& box, int w, int h, bool stretch);
};

// Which part of a column the part painter draws.
enum TColumnPartKind { pkFooter = 0, pkHeader = 1, pkInput = 4 };

// One header, input-row cell or footer cell to draw, and the state it is drawn in.
struct TPartDrawState {
    ui::TCanvas& Canvas;
    TCustomColumn& Column;
    TColumnPartKind Part = pkHeader;
    ui::TRect Rect{};          // the part rectangle
    bool RightToLeft = false;  // the grid's reading order
    bool GridFocused = false;  // the grid or its editor has the focus (input-row colours)
    bool InputActive = false;  // the input row is active
    bool Pressed = false;      // a header held down by the mouse (inverted in the classic looks)
    bool Hot = false;          // a header under the pointer (the styled item's hot look)
};

// What the part painter reads of the grid it paints for (the grid implements it; the painter
// never sees the grid control's header).
class TPartDisplayHost {
public:
    virtual HWND PartWindow() const = 0; // nullptr before the grid's window exists
    virtual TColor PartBackground() const = 0;
    virtual TWindowThemes& PartThemes() = 0;
    virtual THeaderStyle PartHeaderStyle() const = 0;
    virtual TGridOptions PartOptions() const = 0;
    virtual int PartGridLineWidth() const = 0;
    virtual int PartCurrentCol() const = 0;
    virtual int PartVisibleColumns() const = 0;
    virtual const ui::TFont* PartFont() const = 0;

protected:
    ~TPartDisplayHost() = default;
};

// The grid's one painter of headers, input-row cells and footer cells. It reads the grid's
// settings (header style, options, visible columns) and draws what it is given; it keeps no
// state between two parts.
class TColumnPartDisplay {
public:
    explicit TColumnPartDisplay(TPartDisplayHost* grid) : FGrid(grid) {}

    void DrawPart(const TPartDrawState& state);
    // The styled header item without a column (right of the last column).
    void DrawEmptyHeader(ui::TCanvas& canvas, const ui::TRect& rect);
    // The indicator column's header cell: styled item, or a raised panel.
    void DrawIndicatorHeader(ui::TCanvas& canvas, const ui::TRect& rect);

    // Left edge of the sort mark in a header starting at `left` (see DrawHeader).
    static int SortMarkLeft(int left, TDisplayMode mode, int glyphWidth, int captionWidth);

private:
    void DrawHeader(const TPartDrawState& state);
    void DrawHeaderFrame(const TPartDrawState& state, bool themed);
    void DrawFlatFrame(const TPartDrawState& state);
    void DrawSortMark(const TPartDrawState& state, int x, bool themed);
    void DrawInputCell(const TPartDrawState& state);
    void DrawFooterCell(const TPartDrawState& state);
    HWND GridWindow() const;
    COLORREF HeaderBackground() const;

    TPartDisplayHost* FGrid;
};

// Makes the painter classes known by name, so that each column finds the class its
// DisplayClassName names (the column units do not see this view's headers). Every grid calls
// it when it is made; it may be called any number of times.
void RegisterColumnDisplays();

} // namespace grid
