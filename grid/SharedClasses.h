// Painting and colour routines shared by the grid suite: box placement, colour blending and
// mixing, luminance. Classes without instance data, used through their static operations.
#pragma once

#include "grid/GridCommon.h"
#include "ui/core/Types.h"

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

// Colours: blending and mixing on resolved RGB values.
class TGraphicsProvider {
public:
    // Each channel (alpha * c1 + (255 - alpha) * c2) div 256, alpha 0 .. 255.
    static TColor BlendColors(TColor c1, TColor c2, int alpha);
    // Each channel t * c2 + (1 - t) * c1, rounded; t in [0, 1].
    static TColor MixColors(TColor c1, TColor c2, double t);
};

// Masked pictures.
class TMaskProvider {
public:
    // (77 R + 151 G + 28 B) >> 8, 0 .. 255.
    static int Luminance(TColor color);
    static TColor BlendColors(TColor c1, TColor c2, int alpha) { return TGraphicsProvider::BlendColors(c1, c2, alpha); }
};

} // namespace grid
