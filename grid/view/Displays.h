// Cell painters (one per column, of the class its DisplayClass names) and the grid's part
// painter for headers, input-row cells and footer cells.
//
// The grid decides where and when a cell is drawn and sets the canvas's font and colours; a
// painter only draws the content inside the rectangle it is given. Every painter can be driven
// on a memory bitmap's canvas, which is how the tests check them.
#pragma once

#include "grid/data/Columns.h"

#include <windows.h>
#undef DrawText

#include <cstdint>
#include <string>

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

// A cell painter. The grid points it at a canvas and a cell, fills the value field of the
// column's cell kind, and asks it to draw the content.
class TColumnDisplay : public TVirtualColElement {
    UI_PUBLISHED_CLASS
public:
    explicit TColumnDisplay(ui::TComponent* AOwner) : TVirtualColElement(AOwner) {}

    // The cell to draw next. The canvas must stay valid until the drawing is done.
    void Prepare(ui::TCanvas& canvas, bool rightToLeft, const ui::TRect& cellRect, bool current)
    {
        FCanvas = &canvas;
        FRightToLeft = rightToLeft;
        FCellRect = cellRect;
        FCurrent = current;
    }
    ui::TCanvas& Canvas() const { return *FCanvas; }
    const ui::TRect& CellRect() const { return FCellRect; }
    bool RightToLeft() const { return FRightToLeft; }
    bool Current() const { return FCurrent; }
    bool Selected = false;
    // Set while the cell's value is filled in when the cell carries a hint text.
    bool ShowHintMarker = false;

    // One value per cell kind; the grid fills the one the column's cells hold.
    bool BoolValue = false;
    double FloatValue = 0;
    double DateValue = 0;
    int32_t IntValue = 0; // integers, and the row for row-number columns
    std::wstring TextValue;
    ui::TGraphic* PictureValue = nullptr;

    // The cell rectangle narrowed by 2 pixels on the left and on the right.
    virtual ui::TRect TextRect() const;
    // Draws text by the column's alignment, vertical alignment and wrapping; ampersands print.
    virtual void DrawText(const std::wstring& text, const ui::TRect& rect);
    // A small red triangle in the cell's top-right corner: the cell has a hint.
    virtual void DrawHintMarker();
    virtual void DrawContent() = 0;

private:
    ui::TCanvas* FCanvas = nullptr;
    ui::TRect FCellRect{};
    bool FRightToLeft = false;
    bool FCurrent = false;
};

// TextBefore + the cell's text + TextAfter.
class TTextualColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent() override;
};

// A check box, themed when visual styles are active, else an outlined square with a tick.
class TCheckBoxColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent() override;
    // Shown pressed (button face inside) while the element is held down.
    bool Pressed = false;
};

class TDateColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent() override;
};

class TNumericColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent() override;
};

// The row's ordinal (row index + 1).
class TIncrementColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent() override;
};

// The image list's picture of the cell's number, optionally blended through a mask picture.
class TImageColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent() override;
};

// A bar of value / Max, solid or as a gradient, with an optional percentage text.
class TProgressColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent() override;
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
    void DrawContent() override;
};

// Text with a few inline tags: a, b, i, u, br and font (color, name, size).
class THtmlColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent() override;
};

// A picture scaled into the cell (keeping its proportions unless stretched), with frames.
class TGraphicColumnDisplay : public TColumnDisplay {
    UI_PUBLISHED_CLASS
public:
    using TColumnDisplay::TColumnDisplay;
    void DrawContent() override;
    // The rectangle a picture of w x h takes in `box`: the whole box when stretched, else scaled
    // by the smaller ratio and centred along the axis with room to spare.
    static ui::TRect FitRect(const ui::TRect& box, int w, int h, bool stretch);
};

// Which part of a column the part painter draws.
enum TColumnPartKind { pkFooter = 0, pkHeader = 1, pkInput = 4 };

// The grid's one painter of headers, input-row cells and footer cells. The grid points it at a
// column and a part rectangle before each part.
class TColumnPartDisplay {
public:
    explicit TColumnPartDisplay(TCustomGridViewControl* grid) : FGrid(grid) {}

    ui::TCanvas* Canvas = nullptr;
    bool RightToLeft = false;
    TCustomColumn* Column = nullptr;
    TColumnPartKind Part = pkHeader;
    bool GridFocused = false;
    bool InputActive = false;
    ui::TRect PartRect{};
    // The header is held down by the mouse (drawn inverted in the classic looks).
    bool Pressed = false;

    void DrawPart();
    // The styled header item without a column (right of the last column).
    void DrawEmptyHeader(const ui::TRect& rect);
    // The indicator column's header cell: styled item, or a raised panel.
    void DrawIndicatorHeader(const ui::TRect& rect);

    // Left edge of the sort mark in a header starting at `left` (see DrawHeader).
    static int SortMarkLeft(int left, TDisplayMode mode, int glyphWidth, int captionWidth);

private:
    void DrawHeader();
    void DrawHeaderFrame(bool themed);
    void DrawFlatFrame();
    void DrawSortMark(int x, bool themed);
    void DrawInputCell();
    void DrawFooterCell();
    HWND GridWindow() const;
    COLORREF HeaderBackground() const;

    TCustomGridViewControl* FGrid;
};

} // namespace grid
