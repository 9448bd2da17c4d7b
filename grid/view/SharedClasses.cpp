// Painting and colour routines shared by the grid suite.
#include "grid/view/SharedClasses.h"

#include "grid/view/ThemesSupport.h"

#include "ui/core/ScopeGuard.h"
#include "ui/core/SysUtils.h"

#include <algorithm>
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

void TGraphicsProvider::ClipToRect(ui::TCanvas& canvas, const ui::TRect& rect) { canvas.SetClipRect(rect); }

void TGraphicsProvider::DrawButtonFrame(ui::TCanvas& canvas, const ui::TRect& rect, bool dark)
{
    ui::TRect inner = rect;
    InflateRect(&inner, -1, -1);
    canvas.Brush().SetStyle(ui::TBrushStyle::bsSolid);
    canvas.Brush().SetColor(clBtnFace);
    canvas.FillRect(inner);
    ui::TRect frame = rect;
    canvas.Frame3D(frame, clBtnHighlight, dark ? clWindowFrame : clBtnShadow, 1);
}

void TGraphicsProvider::DrawFocusFrame(ui::TCanvas& canvas, const ui::TRect& rect, bool solid)
{
    if (solid) {
        canvas.Brush().SetStyle(ui::TBrushStyle::bsSolid);
        canvas.Brush().SetColor(clHighlight);
        canvas.FrameRect(rect);
        return;
    }
    HDC dc = canvas.Handle();
    COLORREF oldBack = SetBkColor(dc, RGB(0, 0, 0));
    COLORREF oldText = SetTextColor(dc, RGB(255, 255, 255));
    canvas.DrawFocusRect(rect);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
}

void TGraphicsProvider::DrawText(ui::TCanvas& canvas, const ui::TRect& rect, bool rightToLeft,
                                 const std::wstring& text, int alignment)
{
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_EXTERNALLEADING;
    switch (alignment) {
    case 1: flags |= DT_RIGHT; break;
    case 2: flags |= DT_CENTER; break;
    default: flags |= DT_LEFT; break;
    }
    if (rightToLeft)
        flags |= DT_RTLREADING;
    canvas.Brush().SetStyle(ui::TBrushStyle::bsClear);
    ui::TScopeExit solid([&canvas] { canvas.Brush().SetStyle(ui::TBrushStyle::bsSolid); });
    if (DrawFittingLine(canvas, text, rect, flags))
        return;
    ui::TRect r = rect;
    canvas.DrawText(text, r, flags);
}

void TGraphicsProvider::VerticalGradient(ui::TCanvas& canvas, const ui::TRect& rect, TColor bottomColor,
                                         TColor topColor)
{
    int n = rect.bottom - rect.top;
    for (int i = 0; i < n; ++i) {
        canvas.Pen().SetColor(MixColors(topColor, bottomColor, double(i) / n));
        canvas.MoveTo(rect.left, rect.top + i);
        canvas.LineTo(rect.right, rect.top + i);
    }
}

void TGraphicsProvider::HorizontalGradient(ui::TCanvas& canvas, const ui::TRect& rect, TColor rightColor,
                                           TColor leftColor)
{
    int n = rect.right - rect.left;
    for (int i = 0; i < n; ++i) {
        canvas.Pen().SetColor(MixColors(leftColor, rightColor, double(i) / n));
        canvas.MoveTo(rect.left + i, rect.top);
        canvas.LineTo(rect.left + i, rect.bottom);
    }
}

void TGraphicsProvider::DrawIndicatorCell(ui::TCanvas& canvas, const ui::TRect& rect, bool raised, bool inverted,
                                          bool arrow)
{
    if (raised) {
        DrawButtonFrame(canvas, rect, true);
    } else {
        int top = rect.top, right = rect.right, bottom = rect.bottom;
        canvas.Brush().SetStyle(ui::TBrushStyle::bsSolid);
        canvas.Brush().SetColor(clBtnFace);
        canvas.FillRect(ui::Rect(1, top + 1, right - 1, bottom));
        canvas.Pen().SetColor(clBtnHighlight);
        canvas.MoveTo(0, top);
        canvas.LineTo(0, bottom + 1);
        canvas.MoveTo(2, top);
        canvas.LineTo(right - 2, top);
        canvas.SetPixel(1, top, clBtnFace);
        canvas.SetPixel(right - 2, top, clBtnFace);
        canvas.Pen().SetColor(clBtnShadow);
        canvas.MoveTo(right - 1, top);
        canvas.LineTo(right - 1, bottom);
        canvas.MoveTo(2, bottom - 1);
        canvas.LineTo(right - 2, bottom - 1);
        canvas.SetPixel(1, bottom - 1, clBtnFace);
        canvas.SetPixel(right - 2, bottom - 1, clBtnFace);
    }
    if (arrow) {
        ui::TPoint p = TCalcProvider::AlignBox(6, 11, rect, 2, 1, 0);
        canvas.Pen().SetColor(clWindowText);
        canvas.Brush().SetStyle(ui::TBrushStyle::bsSolid);
        canvas.Brush().SetColor(clWindowText);
        canvas.Polygon({ui::Point(p.x, p.y), ui::Point(p.x + 5, p.y + 5), ui::Point(p.x, p.y + 10)});
    }
    if (inverted) {
        canvas.SetCopyMode(DSTINVERT);
        canvas.CopyRect(rect, canvas, rect);
        canvas.SetCopyMode(SRCCOPY);
    }
}

int TMaskProvider::Luminance(TColor color)
{
    TColor c = ColorToRGB(color);
    return (77 * (c & 0xFF) + 151 * ((c >> 8) & 0xFF) + 28 * ((c >> 16) & 0xFF)) >> 8;
}

namespace {

// Pixels of 24- and 32-bit rows are blue, green, red (and alpha) bytes.
TColor PixelOf(const uint8_t* p) { return RGBColor(p[2], p[1], p[0]); }
void StorePixel(uint8_t* p, TColor c)
{
    p[0] = static_cast<uint8_t>((c >> 16) & 0xFF);
    p[1] = static_cast<uint8_t>((c >> 8) & 0xFF);
    p[2] = static_cast<uint8_t>(c & 0xFF);
}

} // namespace

void TMaskProvider::DrawMasked(ui::TCanvas& canvas, int x, int y, ui::TBitmap& mask, ui::TBitmap& picture)
{
    if (mask.Width() != picture.Width() || mask.Height() != picture.Height())
        throw ui::Exception(L"Image and Mask size differ");
    int w = picture.Width(), h = picture.Height();
    if (w == 0 || h == 0)
        return;
    ui::TBitmap work(w, h, ui::TPixelFormat::pf24bit);
    work.Canvas().CopyRect(ui::Rect(0, 0, w, h), canvas, ui::Bounds(x, y, w, h));
    mask.SetPixelFormat(ui::TPixelFormat::pf24bit);
    picture.SetPixelFormat(ui::TPixelFormat::pf24bit);
    GdiFlush(); // the scan lines are read and written directly
    for (int row = 0; row < h; ++row) {
        const uint8_t* m = mask.ScanLine(row);
        const uint8_t* p = picture.ScanLine(row);
        uint8_t* o = work.ScanLine(row);
        for (int col = 0; col < w; ++col, m += 3, p += 3, o += 3)
            StorePixel(o, BlendColors(PixelOf(p), PixelOf(o), Luminance(PixelOf(m))));
    }
    canvas.Draw(x, y, work);
}

void TDrawProvider::DrawGraphic(ui::TCanvas& canvas, int x, int y, ui::TGraphic& graphic)
{
    auto* bitmap = dynamic_cast<ui::TBitmap*>(&graphic);
    if (bitmap == nullptr || bitmap->PixelFormat() != ui::TPixelFormat::pf32bit || bitmap->Empty()) {
        canvas.Draw(x, y, graphic);
        return;
    }
    int w = bitmap->Width(), h = bitmap->Height();
    ui::TBitmap background(w, h, ui::TPixelFormat::pf24bit);
    background.Canvas().CopyRect(ui::Rect(0, 0, w, h), canvas, ui::Bounds(x, y, w, h));
    GdiFlush();
    // The blended copy is opaque: drawn as 24 bits so that nothing blends it a second time.
    for (int row = 0; row < h; ++row) {
        const uint8_t* s = bitmap->ScanLine(row);
        uint8_t* b = background.ScanLine(row);
        for (int col = 0; col < w; ++col, s += 4, b += 3)
            StorePixel(b, TGraphicsProvider::BlendColors(PixelOf(s), PixelOf(b), s[3]));
    }
    canvas.Draw(x, y, background);
}

// ---------------------------------------------------------------------------------------------
// Check box picture

int TGraphicsProvider::CheckBoxThemeState(bool hot, bool checked, bool pressed)
{
    // "Button" check box states: 1 unchecked, 2 unchecked hot, 3 unchecked pressed, 5 checked,
    // 6 checked hot, 7 checked pressed. Pressed shows only under the pointer.
    if (!hot)
        return checked ? 5 : 1;
    if (checked)
        return pressed ? 7 : 6;
    return pressed ? 3 : 2;
}

void TGraphicsProvider::DrawCheckBox(ui::TCanvas& canvas, HWND themeWindow, ui::TPoint topLeft, bool themed,
                                     bool checked, bool hot, bool pressed)
{
    constexpr int kButtonCheckBoxPart = 3;
    if (themed) {
        DrawThemePart(themeWindow, canvas.Handle(), ui::Bounds(topLeft.x, topLeft.y, 13, 13),
                      CheckBoxThemeState(hot, checked, pressed), kButtonCheckBoxPart, L"Button");
        return;
    }
    int x = topLeft.x, y = topLeft.y;
    canvas.Pen().SetColor(clBtnShadow);
    canvas.Brush().SetStyle(ui::TBrushStyle::bsSolid);
    canvas.Brush().SetColor(pressed ? clBtnFace : clWindow);
    canvas.Rectangle(x, y, x + 11, y + 11);
    if (!checked)
        return;
    canvas.Pen().SetColor(clWindowText);
    for (int d = 0; d < 3; ++d)
        canvas.Polyline({ui::Point(x + 2, y + 4 + d), ui::Point(x + 4, y + 6 + d), ui::Point(x + 9, y + 1 + d)});
}

bool DrawFittingLine(ui::TCanvas& canvas, const std::wstring& text, const ui::TRect& rect, UINT flags)
{
    // The external leading only spaces lines apart, and there is one line.
    constexpr UINT kHandled = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_EXTERNALLEADING | DT_LEFT | DT_CENTER |
                              DT_RIGHT | DT_TOP | DT_VCENTER | DT_BOTTOM;
    if ((flags & DT_SINGLELINE) == 0 || (flags & DT_NOPREFIX) == 0 || (flags & ~kHandled) != 0 || text.empty())
        return false;
    if (std::any_of(text.begin(), text.end(), [](wchar_t ch) { return ch < L' '; }))
        return false;
    const SIZE size = canvas.TextExtent(text);
    const int width = ui::RectWidth(rect), height = ui::RectHeight(rect);
    if (size.cx > width || width <= 0 || height <= 0)
        return false;
    int x = rect.left, y = rect.top;
    if (flags & DT_CENTER)
        x = rect.left + (width - size.cx) / 2;
    else if (flags & DT_RIGHT)
        x = rect.right - size.cx;
    if (flags & DT_VCENTER)
        y = rect.top + height / 2 - size.cy / 2;
    else if (flags & DT_BOTTOM)
        y = rect.bottom - size.cy;
    canvas.TextRect(rect, x, y, text);
    return true;
}

} // namespace grid
