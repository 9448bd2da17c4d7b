// Painting and colour routines shared by the grid suite: box placement, colour blending and
// mixing, luminance. Classes without instance data, used through their static operations.
#pragma once

#include "grid/common/GridCommon.h"
#include "ui/core/Types.h"

#include <windows.h>
#undef DrawText

#include <cstdint>

namespace grid {

// Geometry of boxes and rectangles.
class TCalcProvider {
public:
    // Top-left corner of a width x height box placed in rect by the alignments (TAlignment and
    // TVerticalAlignment values); a value outside them leaves that coordinate 0.
    static ui::TPoint AlignBox(int width, int height, const ui::TRect& rect, int horizontal, int vertical, int margin);
    static ui::TRect ShiftEdges(const ui::TRect& rect, int dLeft, int dTop, int dRight, int dBottom);
    // True unless one rectangle lies wholly beside, above or below the other; shared edges touch.
    static bool RectsTouch(const ui::TRect& a, const ui::TRect& b);
};

// part / total * 100.
double Percent(double total, double part);

// Colours, frames, text and gradients on a canvas.
class TGraphicsProvider {
public:
    // Each channel (alpha * c1 + (255 - alpha) * c2) div 256, alpha 0 .. 255.
    static TColor BlendColors(TColor c1, TColor c2, int alpha);
    // Each channel t * c2 + (1 - t) * c1, rounded; t in [0, 1].
    static TColor MixColors(TColor c1, TColor c2, double t);
    static void ClipToRect(ui::TCanvas& canvas, const ui::TRect& rect);
    // The inside in clBtnFace; a one-pixel 3-D frame, light at top and left, and at bottom and
    // right clWindowFrame when dark, else clBtnShadow.
    static void DrawButtonFrame(ui::TCanvas& canvas, const ui::TRect& rect, bool dark);
    // Solid: a one-pixel clHighlight frame. Else the platform's dotted focus rectangle, drawn with
    // a black background and white text colour (the context's colours are restored).
    static void DrawFocusFrame(ui::TCanvas& canvas, const ui::TRect& rect, bool solid);
    // One line, vertically centred, cut with an ellipsis, ampersands printed; aligned left,
    // right or centred by the TAlignment value. A line that fits takes the short way
    // (DrawFittingLine).
    static void DrawText(ui::TCanvas& canvas, const ui::TRect& rect, bool rightToLeft, const std::wstring& text,
                         int alignment);
    // One line per row (or column) in the mix of the two colours, from top (left) to bottom (right).
    static void VerticalGradient(ui::TCanvas& canvas, const ui::TRect& rect, TColor bottomColor, TColor topColor);
    static void HorizontalGradient(ui::TCanvas& canvas, const ui::TRect& rect, TColor rightColor, TColor leftColor);
    // The grid's indicator cell: raised or flat (at absolute x positions, for a cell at x = 0),
    // optionally inverted and with the current-row arrow.
    static void DrawIndicatorCell(ui::TCanvas& canvas, const ui::TRect& rect, bool raised, bool inverted, bool arrow);

    // The check box picture that the cell painter and the check-box editor share: 13 x 13 from
    // the "Button" style class when themed (drawn for `themeWindow`), else an 11 x 11 square in
    // clBtnShadow filled with clWindow (clBtnFace when pressed) with a three-line tick.
    static int CheckBoxSize(bool themed) { return themed ? 13 : 11; }
    static int CheckBoxThemeState(bool hot, bool checked, bool pressed);
    static void DrawCheckBox(ui::TCanvas& canvas, HWND themeWindow, ui::TPoint topLeft, bool themed, bool checked,
                             bool hot, bool pressed);
};

// Masked pictures.
class TMaskProvider {
public:
    // (77 R + 151 G + 28 B) >> 8, 0 .. 255.
    static int Luminance(TColor color);
    static TColor BlendColors(TColor c1, TColor c2, int alpha) { return TGraphicsProvider::BlendColors(c1, c2, alpha); }
    // Blends picture over the canvas at (x, y), the mask's luminance weighting the picture:
    // white shows the picture, black keeps the background. Mask and picture must be the same
    // size ("Image and Mask size differ"); both are switched to 24 bits per pixel.
    static void DrawMasked(ui::TCanvas& canvas, int x, int y, ui::TBitmap& mask, ui::TBitmap& picture);
};

// Pictures with an alpha channel.
class TDrawProvider {
public:
    // A 32-bit bitmap is blended over the canvas by its alpha bytes; anything else is drawn as is.
    static void DrawGraphic(ui::TCanvas& canvas, int x, int y, ui::TGraphic& graphic);
};

// A single line of text (DT_SINGLELINE with any horizontal and vertical alignment, DT_NOPREFIX)
// that fits its rectangle, drawn with one clipped ExtTextOut at the place the platform's
// DrawText puts it, which costs several times less. Returns false, drawing nothing, for a text
// that does not fit or that DrawText would treat specially (control characters, right to left,
// other flags): those go to DrawText.
bool DrawFittingLine(ui::TCanvas& canvas, const std::wstring& text, const ui::TRect& rect, UINT flags);

} // namespace grid
