// The styled parts a grid window draws through its kept theme data, with Wine's own visual style
// switched on: the kept pictures look exactly like the parts drawn afresh, a part drawn over a
// background colour looks the same whatever was there before, and the pictures are bounded and
// released.
#include "PaintTestSupport.h"

#include "tests/support/GdiLeakCheck.h"

#include <gtest/gtest.h>

#include <memory>

using namespace grid;
using namespace gridtest;

namespace {

constexpr int kHeaderItem = 1, kHeaderNormal = 1;

// A bitmap of w x h filled with one colour.
std::unique_ptr<ui::TBitmap> Filled(int w, int h, COLORREF colour)
{
    auto bmp = std::make_unique<ui::TBitmap>(w, h);
    RECT all{0, 0, w, h};
    HDC dc = bmp->Canvas().Handle();
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    return bmp;
}

// The header item drawn straight through uxtheme, over `under`.
std::unique_ptr<ui::TBitmap> DrawnAfresh(HWND window, int w, int h, COLORREF under)
{
    auto bmp = Filled(w, h, under);
    HMODULE ux = GetModuleHandleW(L"uxtheme.dll");
    using OpenFn = HANDLE(WINAPI*)(HWND, LPCWSTR);
    using CloseFn = HRESULT(WINAPI*)(HANDLE);
    using DrawFn = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
    auto open = reinterpret_cast<OpenFn>(GetProcAddress(ux, "OpenThemeData"));
    auto close = reinterpret_cast<CloseFn>(GetProcAddress(ux, "CloseThemeData"));
    auto draw = reinterpret_cast<DrawFn>(GetProcAddress(ux, "DrawThemeBackground"));
    HANDLE theme = open(window, L"header");
    RECT all{0, 0, w, h};
    draw(theme, bmp->Canvas().Handle(), kHeaderItem, kHeaderNormal, &all, nullptr);
    close(theme);
    GdiFlush();
    return bmp;
}

bool PartlyTransparent(HWND window)
{
    HMODULE ux = GetModuleHandleW(L"uxtheme.dll");
    using OpenFn = HANDLE(WINAPI*)(HWND, LPCWSTR);
    using CloseFn = HRESULT(WINAPI*)(HANDLE);
    using AskFn = BOOL(WINAPI*)(HANDLE, int, int);
    auto open = reinterpret_cast<OpenFn>(GetProcAddress(ux, "OpenThemeData"));
    auto close = reinterpret_cast<CloseFn>(GetProcAddress(ux, "CloseThemeData"));
    auto ask = reinterpret_cast<AskFn>(GetProcAddress(ux, "IsThemeBackgroundPartiallyTransparent"));
    HANDLE theme = open(window, L"header");
    bool transparent = ask(theme, kHeaderItem, kHeaderNormal) != FALSE;
    close(theme);
    return transparent;
}

} // namespace

TEST(ThemesSupport, KeptPicturesLookLikeTheStyleAndStayBounded)
{
    TWineTheme style;
    ASSERT_TRUE(style.Active()) << style.Why();
    std::unique_ptr<THostForm> host = MakeHost();
    host->Show();
    HWND window = host->Handle();
    const COLORREF white = RGB(255, 255, 255), red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    const int w = 90, h = 20;
    RECT item{0, 0, w, h};

    const testsupport::TGdiSnapshot before = testsupport::TakeGdiSnapshot();
    {
        TWindowThemes themes;
        // Without a background colour, a part the style calls partly transparent is drawn afresh
        // each time, since what is under it may show; an opaque one is kept.
        auto overRed = Filled(w, h, red);
        themes.Draw(window, overRed->Canvas().Handle(), item, kHeaderNormal, kHeaderItem, L"header");
        EXPECT_EQ(themes.PictureCount(), PartlyTransparent(window) ? 0u : 1u);
        auto fresh = DrawnAfresh(window, w, h, red);
        EXPECT_EQ(FirstDifference(*overRed, *fresh).x, -1) << "drawn as uxtheme draws it";

        themes.Close();
        POINT at;
        // With one: the same pixels over any old content, the first time and from the kept picture.
        auto expected = DrawnAfresh(window, w, h, white);
        for (COLORREF old : {red, blue, red}) {
            auto target = Filled(w, h, old);
            themes.Draw(window, target->Canvas().Handle(), item, kHeaderNormal, kHeaderItem, L"header", white);
            at = FirstDifference(*target, *expected);
            EXPECT_EQ(at.x, -1) << "over old colour " << old << ": differs at " << at.x << ", " << at.y;
        }
        EXPECT_EQ(themes.PictureCount(), 1u) << "one picture for one part, state, size and background";

        // Drawn at an offset into a larger target, the picture lands where the part would.
        auto large = Filled(200, 60, red);
        RECT placed{50, 30, 50 + w, 30 + h};
        themes.Draw(window, large->Canvas().Handle(), placed, kHeaderNormal, kHeaderItem, L"header", white);
        GdiFlush();
        EXPECT_EQ(large->PixelAt(49, 30), Rgb(ui::RGBColor(255, 0, 0))) << "nothing left of the rectangle";
        EXPECT_EQ(large->PixelAt(50 + w, 30), Rgb(ui::RGBColor(255, 0, 0))) << "nothing right of it";
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(large->PixelAt(50 + x, 30 + y), expected->PixelAt(x, y)) << x << ", " << y;

        // Every width of a column being sized makes a picture; only the newest are kept.
        for (int width = 10; width < 10 + 2 * int(TWindowThemes::kMaxPictures); ++width) {
            auto t = Filled(width, h, white);
            RECT r{0, 0, width, h};
            themes.Draw(window, t->Canvas().Handle(), r, kHeaderNormal, kHeaderItem, L"header", white);
        }
        EXPECT_EQ(themes.PictureCount(), TWindowThemes::kMaxPictures);
        themes.Close();
        EXPECT_EQ(themes.PictureCount(), 0u);
    }
    EXPECT_EQ(testsupport::GdiGrowth(before, testsupport::TakeGdiSnapshot()), "") << "pictures and their DC released";
}
