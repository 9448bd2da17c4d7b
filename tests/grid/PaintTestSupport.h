// Helpers of the painting tests: painting a grid into a memory bitmap, reading pixels, and theme
// services that record what would have been drawn styled.
#pragma once

#include "GridTestSupport.h"

#include "grid/view/ThemesSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace gridtest {

// The grid's client area painted by its own paint handler into a fresh 24-bit bitmap.
// `clip`, when given, limits the paint as an update region would.
std::unique_ptr<ui::TBitmap> PaintToBitmap(grid::TGridView& grid, const RECT* clip = nullptr);

// Paints over `bmp` (an earlier paint of the grid) only what the grid's window has queued for
// repainting, as the next WM_PAINT would, and clears the queue. Returns false when nothing was
// queued.
bool RepaintPendingOver(grid::TGridView& grid, ui::TBitmap& bmp);

// The first pixel where two bitmaps of the same size differ; (-1, -1) when none does.
POINT FirstDifference(ui::TBitmap& a, ui::TBitmap& b);

// Colour as red-green-blue, system colours resolved.
inline ui::TColor Rgb(ui::TColor c) { return ui::ColorToRGB(c) & 0xFFFFFF; }

// True when the pixel is dark enough to be text (all channels below 128).
bool IsDark(ui::TColor c);

// Rows [top, bottom) and columns [left, right) that hold at least one dark pixel.
int FirstDarkColumn(ui::TBitmap& bmp, const RECT& r);
int FirstDarkRow(ui::TBitmap& bmp, const RECT& r);
int LastDarkColumn(ui::TBitmap& bmp, const RECT& r);
// Number of separate bands of rows containing dark pixels (text lines).
int DarkRowBands(ui::TBitmap& bmp, const RECT& r);
// How many pixels of rectangle r differ between two bitmaps of the same size.
int DifferingPixels(ui::TBitmap& a, ui::TBitmap& b, const RECT& r);

// Theme services that claim visual styles are active (or, with active false, that they are off:
// Wine may run with a theme of its own) and record each styled part instead of drawing it (a
// solid fill in a marker colour, so the tests see where it went).
struct TThemeCall {
    int Part, State;
    std::wstring ClassName;
    RECT Rect;
};
class TFakeThemes {
public:
    explicit TFakeThemes(bool active = true);
    ~TFakeThemes();
    static std::vector<TThemeCall>& Calls();
    static constexpr ui::TColor Marker = 0x00FF00; // pure green in RGB order (red low byte)

private:
    grid::TThemeServices FOld;
};

// Wine's own "light" visual style, made active for this process while the object lives, so that
// the styled paths are drawn by the real theme services (Wine loads no style for a program by
// default). The style is applied once per process, and the prefix's style settings, which
// applying rewrites, are put back at once. Once a style has been switched off inside a process,
// Wine's uxtheme does not apply one again; so ending the object leaves the style loaded and
// has the grid see no styles (its theme services answer "not active") until the next object.
class TWineTheme {
public:
    TWineTheme();
    ~TWineTheme();
    TWineTheme(const TWineTheme&) = delete;
    TWineTheme& operator=(const TWineTheme&) = delete;
    bool Active() const { return FWhy.empty(); }
    // Why the style could not be applied (empty when it is active).
    const std::string& Why() const { return FWhy; }

private:
    std::string FWhy;
};

} // namespace gridtest
