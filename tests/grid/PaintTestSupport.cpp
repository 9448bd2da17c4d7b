// Helpers of the painting tests.
#include "PaintTestSupport.h"

namespace gridtest {

std::unique_ptr<ui::TBitmap> PaintToBitmap(grid::TGridView& grid, const RECT* clip)
{
    auto bmp = std::make_unique<ui::TBitmap>(grid.ClientWidth(), grid.ClientHeight(), ui::TPixelFormat::pf24bit);
    // A colour no painter uses, so unpainted pixels stand out.
    bmp->Canvas().Brush().SetColor(ui::RGBColor(1, 2, 3));
    bmp->Canvas().FillRect(ui::Rect(0, 0, bmp->Width(), bmp->Height()));
    HDC dc = bmp->Canvas().Handle();
    if (clip != nullptr)
        IntersectClipRect(dc, clip->left, clip->top, clip->right, clip->bottom);
    SendMessageW(grid.Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    SelectClipRgn(dc, nullptr);
    GdiFlush();
    return bmp;
}

bool RepaintPendingOver(grid::TGridView& grid, ui::TBitmap& bmp)
{
    HRGN pending = CreateRectRgn(0, 0, 0, 0);
    bool queued = GetUpdateRgn(grid.Handle(), pending, FALSE) > NULLREGION;
    if (queued) {
        HDC dc = bmp.Canvas().Handle();
        SelectClipRgn(dc, pending);
        SendMessageW(grid.Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        SelectClipRgn(dc, nullptr);
        GdiFlush();
    }
    DeleteObject(pending);
    ValidateRect(grid.Handle(), nullptr);
    return queued;
}

POINT FirstDifference(ui::TBitmap& a, ui::TBitmap& b)
{
    GdiFlush();
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.PixelAt(x, y) != b.PixelAt(x, y))
                return POINT{x, y};
    return POINT{-1, -1};
}

bool IsDark(ui::TColor c)
{
    return (c & 0xFF) < 128 && ((c >> 8) & 0xFF) < 128 && ((c >> 16) & 0xFF) < 128;
}

int FirstDarkColumn(ui::TBitmap& bmp, const RECT& r)
{
    for (int x = r.left; x < r.right; ++x)
        for (int y = r.top; y < r.bottom; ++y)
            if (IsDark(bmp.PixelAt(x, y)))
                return x;
    return -1;
}

int LastDarkColumn(ui::TBitmap& bmp, const RECT& r)
{
    for (int x = r.right - 1; x >= r.left; --x)
        for (int y = r.top; y < r.bottom; ++y)
            if (IsDark(bmp.PixelAt(x, y)))
                return x;
    return -1;
}

int FirstDarkRow(ui::TBitmap& bmp, const RECT& r)
{
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (IsDark(bmp.PixelAt(x, y)))
                return y;
    return -1;
}

int DarkRowBands(ui::TBitmap& bmp, const RECT& r)
{
    int bands = 0;
    bool inBand = false;
    for (int y = r.top; y < r.bottom; ++y) {
        bool dark = false;
        for (int x = r.left; x < r.right && !dark; ++x)
            dark = IsDark(bmp.PixelAt(x, y));
        if (dark && !inBand)
            ++bands;
        inBand = dark;
    }
    return bands;
}

namespace {

bool FakeActive() { return true; }
bool FakeInactive() { return false; }

void FakeDraw(HWND, HDC dc, const RECT& rect, int state, int part, const std::wstring& className)
{
    TFakeThemes::Calls().push_back({part, state, className, rect});
    HBRUSH brush = CreateSolidBrush(ui::ColorToRef(TFakeThemes::Marker));
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

} // namespace

std::vector<TThemeCall>& TFakeThemes::Calls()
{
    static std::vector<TThemeCall> calls;
    return calls;
}

TFakeThemes::TFakeThemes(bool active)
{
    Calls().clear();
    grid::TThemeServices fake;
    fake.Active = active ? &FakeActive : &FakeInactive;
    fake.DrawPart = &FakeDraw;
    FOld = grid::SetThemeServices(fake);
}

TFakeThemes::~TFakeThemes() { grid::SetThemeServices(FOld); }

} // namespace gridtest
