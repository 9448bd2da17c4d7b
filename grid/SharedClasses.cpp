// Painting and colour routines shared by the grid suite.
#include "grid/SharedClasses.h"

#include <cassert>
#include <cmath>

namespace grid {

ui::TPoint TCalcProvider::AlignBox(int width, int height, const ui::TRect& rect, int horizontal, int vertical,
                                   int margin)
{
    ui::TPoint p{0, 0};
    // Integer division truncates toward zero, as the placement rules expect.
    int centreX = (rect.left + rect.right) / 2;
    int centreY = (rect.top + rect.bottom) / 2;
    switch (horizontal) {
    case 0: p.x = rect.left + margin; break;
    case 1: p.x = rect.right - width - margin; break;
    case 2: p.x = centreX - width / 2; break;
    default: break;
    }
    switch (vertical) {
    case 0: p.y = rect.top + margin; break;
    case 1: p.y = centreY - height / 2; break;
    case 2: p.y = rect.bottom - height - margin; break;
    default: break;
    }
    return p;
}

ui::TRect TCalcProvider::ShiftEdges(const ui::TRect& rect, int dLeft, int dTop, int dRight, int dBottom)
{
    return ui::Rect(rect.left + dLeft, rect.top + dTop, rect.right + dRight, rect.bottom + dBottom);
}

bool TCalcProvider::RectsTouch(const ui::TRect& a, const ui::TRect& b)
{
    return !(a.right < b.left || b.right < a.left || a.bottom < b.top || b.bottom < a.top);
}

double Percent(double total, double part) { return part / total * 100.0; }

TColor TGraphicsProvider::BlendColors(TColor c1, TColor c2, int alpha)
{
    assert(alpha >= 0 && alpha <= 255 && "SharedClasses: BlendColors alpha must be 0..255");
    uint32_t a = static_cast<uint32_t>(alpha), b = 255 - a;
    uint32_t x = static_cast<uint32_t>(ColorToRGB(c1)), y = static_cast<uint32_t>(ColorToRGB(c2));
    // Red and blue share one multiplication, green has its own: the weights add up to 255, so no
    // channel's product carries into its neighbour.
    uint32_t redBlue = (((x & 0xFF00FF) * a + (y & 0xFF00FF) * b) >> 8) & 0xFF00FF;
    uint32_t green = (((x & 0x00FF00) * a + (y & 0x00FF00) * b) >> 8) & 0x00FF00;
    return static_cast<TColor>(redBlue | green);
}

TColor TGraphicsProvider::MixColors(TColor c1, TColor c2, double t)
{
    TColor x = ColorToRGB(c1), y = ColorToRGB(c2);
    auto channel = [t](int a, int b) { return static_cast<int>(std::nearbyint(t * b + (1 - t) * a)); };
    return RGBColor(channel(x & 0xFF, y & 0xFF), channel((x >> 8) & 0xFF, (y >> 8) & 0xFF),
                    channel((x >> 16) & 0xFF, (y >> 16) & 0xFF));
}

int TMaskProvider::Luminance(TColor color)
{
    TColor c = ColorToRGB(color);
    return (77 * (c & 0xFF) + 151 * ((c >> 8) & 0xFF) + 28 * ((c >> 16) & 0xFF)) >> 8;
}

} // namespace grid
