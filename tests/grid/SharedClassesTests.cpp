// Shared painting routines: placement, blending, mixing, luminance, and the theme services.
#include "grid/view/SharedClasses.h"
#include "grid/view/ThemesSupport.h"
#include "tests/support/GdiLeakCheck.h"
#include "ui/core/SysUtils.h"

#include <memory>

#include <gtest/gtest.h>

using namespace grid;

TEST(SharedClasses, AlignBoxAndRectangles)
{
    ui::TRect r = ui::Rect(0, 0, 40, 20);
    EXPECT_EQ(TCalcProvider::AlignBox(13, 13, r, 2, 1, 2), ui::Point(14, 4));
    EXPECT_EQ(TCalcProvider::AlignBox(13, 13, r, 0, 0, 2), ui::Point(2, 2));
    EXPECT_EQ(TCalcProvider::AlignBox(13, 13, r, 1, 2, 2), ui::Point(25, 5));
    EXPECT_EQ(TCalcProvider::AlignBox(6, 11, ui::Rect(-5, -3, 0, 0), 2, 1, 0), ui::Point(-5, -6))
        << "centre -2 and -1: division truncates toward zero";
    EXPECT_EQ(TCalcProvider::AlignBox(6, 11, r, 7, -1, 0), ui::Point(0, 0)) << "unknown alignments leave 0";
    EXPECT_EQ(TCalcProvider::ShiftEdges(r, 1, 2, -3, -4), ui::Rect(1, 2, 37, 16));
    EXPECT_TRUE(TCalcProvider::RectsTouch(r, ui::Rect(40, 20, 50, 30))) << "a shared corner touches";
    EXPECT_FALSE(TCalcProvider::RectsTouch(r, ui::Rect(41, 0, 50, 20)));
    EXPECT_FALSE(TCalcProvider::RectsTouch(r, ui::Rect(0, 21, 40, 30)));
    EXPECT_DOUBLE_EQ(Percent(200, 50), 25.0);
}

TEST(SharedClasses, BlendMixAndLuminance)
{
    EXPECT_EQ(TGraphicsProvider::BlendColors(clWhite, clBlack, 255), RGBColor(254, 254, 254));
    EXPECT_EQ(TGraphicsProvider::BlendColors(clWhite, clBlack, 0), clBlack);
    EXPECT_EQ(TGraphicsProvider::BlendColors(clWhite, clBlack, 128), RGBColor(127, 127, 127));
    EXPECT_EQ(TGraphicsProvider::BlendColors(clBlack, clWhite, 0), RGBColor(254, 254, 254));
    EXPECT_EQ(TGraphicsProvider::BlendColors(clBlack, clWhite, 128), RGBColor(126, 126, 126));
    // Channels stay apart: a full red over full blue does not leak into green.
    EXPECT_EQ(TMaskProvider::BlendColors(RGBColor(255, 0, 0), RGBColor(0, 0, 255), 128), RGBColor(127, 0, 126));
    EXPECT_EQ(TGraphicsProvider::BlendColors(RGBColor(10, 200, 30), RGBColor(250, 20, 90), 64),
              RGBColor((64 * 10 + 191 * 250) / 256, (64 * 200 + 191 * 20) / 256, (64 * 30 + 191 * 90) / 256));

    EXPECT_EQ(TGraphicsProvider::MixColors(clWhite, clBlack, 0.25), RGBColor(191, 191, 191));
    EXPECT_EQ(TGraphicsProvider::MixColors(RGBColor(0, 100, 200), RGBColor(100, 0, 201), 0.5), RGBColor(50, 50, 200))
        << "200.5 rounds to the even 200";
    EXPECT_EQ(TGraphicsProvider::MixColors(clRed, clBlack, 0), clRed);
    // System colours are resolved before mixing.
    COLORREF window = GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(TGraphicsProvider::MixColors(clWindow, clBlack, 0), static_cast<TColor>(window));

    EXPECT_EQ(TMaskProvider::Luminance(clWhite), 255);
    EXPECT_EQ(TMaskProvider::Luminance(RGBColor(255, 0, 0)), 76);
    EXPECT_EQ(TMaskProvider::Luminance(clBlack), 0);
}

TEST(ThemesSupport, ActiveOnlyWhenLoaded)
{
    // Under Wine uxtheme.dll exists; whether a theme is active depends on the prefix. Either way
    // the answer must be consistent with the library being there.
    if (!ThemesLoaded()) {
        EXPECT_FALSE(ThemesActive());
        return;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    RECT r{0, 0, 10, 10};
    try {
        DrawThemePart(nullptr, dc, r, 0, 1, L"NoSuchStyleClass");
        ADD_FAILURE() << "a style class that does not exist must fail";
    } catch (const ui::Exception& e) {
        EXPECT_EQ(e.Message(), L"Error in Themes");
    }
    DeleteDC(dc);
}

namespace {

// A white 24-bit memory bitmap to paint on.
std::unique_ptr<ui::TBitmap> WhiteBitmap(int w, int h)
{
    auto b = std::make_unique<ui::TBitmap>(w, h, ui::TPixelFormat::pf24bit);
    b->Canvas().Brush().SetColor(clWhite);
    b->Canvas().FillRect(ui::Rect(0, 0, w, h));
    return b;
}

TColor Sys(int index) { return static_cast<TColor>(GetSysColor(index)); }

} // namespace

TEST(SharedClassesPainting, FramesAndGradients)
{
    auto b = WhiteBitmap(40, 20);
    ui::TCanvas& c = b->Canvas();
    TGraphicsProvider::DrawButtonFrame(c, ui::Rect(0, 0, 10, 10), true);
    GdiFlush();
    EXPECT_EQ(b->PixelAt(0, 0), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(b->PixelAt(9, 9), Sys(COLOR_WINDOWFRAME)) << "dark: bottom-right in the window frame colour";
    EXPECT_EQ(b->PixelAt(5, 5), Sys(COLOR_BTNFACE));
    TGraphicsProvider::DrawButtonFrame(c, ui::Rect(10, 0, 20, 10), false);
    GdiFlush();
    EXPECT_EQ(b->PixelAt(19, 5), Sys(COLOR_BTNSHADOW));

    TGraphicsProvider::VerticalGradient(c, ui::Rect(20, 0, 30, 1), clBlack, clRed);
    GdiFlush();
    EXPECT_EQ(b->PixelAt(25, 0), clRed) << "one line high: the top colour";
    EXPECT_EQ(b->PixelAt(25, 1), clWhite);
    TGraphicsProvider::HorizontalGradient(c, ui::Rect(20, 5, 24, 7), clWhite, clBlack);
    GdiFlush();
    EXPECT_EQ(b->PixelAt(20, 5), clBlack);
    EXPECT_EQ(b->PixelAt(22, 6), RGBColor(128, 128, 128)) << "half way: the mix at 2/4";
    EXPECT_EQ(b->PixelAt(23, 5), RGBColor(191, 191, 191));
    TGraphicsProvider::VerticalGradient(c, ui::Rect(30, 5, 35, 5), clBlack, clBlack);
    GdiFlush();
    EXPECT_EQ(b->PixelAt(30, 5), clWhite) << "an empty rectangle draws nothing";

    TGraphicsProvider::DrawFocusFrame(c, ui::Rect(30, 10, 40, 20), true);
    GdiFlush();
    EXPECT_EQ(b->PixelAt(30, 15), Sys(COLOR_HIGHLIGHT));
    EXPECT_EQ(b->PixelAt(35, 15), clWhite);
}

TEST(SharedClassesPainting, IndicatorCell)
{
    auto b = WhiteBitmap(12, 21);
    ui::TCanvas& c = b->Canvas();
    TGraphicsProvider::DrawIndicatorCell(c, ui::Rect(0, 0, 12, 21), false, false, true);
    GdiFlush();
    EXPECT_EQ(b->PixelAt(0, 5), Sys(COLOR_BTNHIGHLIGHT)) << "flat: light left edge";
    EXPECT_EQ(b->PixelAt(11, 5), Sys(COLOR_BTNSHADOW)) << "shadow right edge";
    EXPECT_EQ(b->PixelAt(1, 0), Sys(COLOR_BTNFACE));
    // The arrow's 6 x 11 box centred: x = 6 - 3 = 3, y = 10 - 5 = 5; its tip at (8, 10).
    EXPECT_EQ(b->PixelAt(4, 10), Sys(COLOR_WINDOWTEXT)) << "inside the arrow";
    EXPECT_EQ(b->PixelAt(9, 10), Sys(COLOR_BTNFACE)) << "right of the tip";
    EXPECT_EQ(b->PixelAt(4, 4), Sys(COLOR_BTNFACE)) << "above the arrow";

    auto inv = WhiteBitmap(12, 21);
    TGraphicsProvider::DrawIndicatorCell(inv->Canvas(), ui::Rect(0, 0, 12, 21), true, true, false);
    GdiFlush();
    TColor face = Sys(COLOR_BTNFACE);
    EXPECT_EQ(inv->PixelAt(5, 10), RGBColor(255 - (face & 0xFF), 255 - ((face >> 8) & 0xFF), 255 - ((face >> 16) & 0xFF)))
        << "inverted after drawing";
}

TEST(SharedClassesPainting, TextMaskedAndAlpha)
{
    auto b = WhiteBitmap(60, 20);
    ui::TCanvas& c = b->Canvas();
    c.Font().SetColor(clBlack);
    TGraphicsProvider::DrawText(c, ui::Rect(0, 0, 60, 20), false, L"&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&", 0);
    GdiFlush();
    EXPECT_EQ(c.Brush().Style(), ui::TBrushStyle::bsSolid) << "the brush is solid again";
    // Measure what DrawText drew: an ellipsis cuts the text inside the rectangle.
    int inked = 0;
    for (int x = 50; x < 60; ++x)
        for (int y = 0; y < 20; ++y)
            inked += b->PixelAt(x, y) != clWhite;
    EXPECT_GT(inked, 0) << "ampersands print (no accelerator prefix) up to the right edge";
    ui::TRect measured = ui::Rect(0, 0, 1000, 20);
    c.DrawText(L"&&&&&&&&&&&&&&&&&&&&&&&&&&&&&&", measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_GT(measured.right, 60) << "the text is wider than the rectangle";

    // Masked: white mask pixels show the picture, black ones keep the background.
    auto target = WhiteBitmap(16, 16);
    ui::TBitmap mask(16, 16), picture(16, 16);
    mask.Canvas().Brush().SetColor(clBlack);
    mask.Canvas().FillRect(ui::Rect(0, 0, 16, 16));
    mask.Canvas().Brush().SetColor(clWhite);
    mask.Canvas().FillRect(ui::Rect(0, 0, 8, 16));
    picture.Canvas().Brush().SetColor(clRed);
    picture.Canvas().FillRect(ui::Rect(0, 0, 16, 16));
    TMaskProvider::DrawMasked(target->Canvas(), 0, 0, mask, picture);
    GdiFlush();
    EXPECT_EQ(target->PixelAt(2, 2), RGBColor(254, 0, 0)) << "white mask: the picture";
    EXPECT_EQ(target->PixelAt(12, 2), RGBColor(254, 254, 254)) << "black mask: the background";
    ui::TBitmap shortPicture(16, 15);
    try {
        TMaskProvider::DrawMasked(target->Canvas(), 0, 0, mask, shortPicture);
        ADD_FAILURE() << "sizes differ";
    } catch (const ui::Exception& e) {
        EXPECT_EQ(e.Message(), L"Image and Mask size differ");
    }

    // Alpha: a half-transparent black pixel over white.
    auto under = WhiteBitmap(4, 4);
    ui::TBitmap alpha(4, 4, ui::TPixelFormat::pf32bit);
    GdiFlush();
    for (int y = 0; y < 4; ++y) {
        uint8_t* row = alpha.ScanLine(y);
        for (int x = 0; x < 4; ++x) {
            row[x * 4 + 0] = 0;
            row[x * 4 + 1] = 0;
            row[x * 4 + 2] = x == 0 ? 255 : 0;
            row[x * 4 + 3] = x == 3 ? 0 : 128;
        }
    }
    TDrawProvider::DrawGraphic(under->Canvas(), 0, 0, alpha);
    GdiFlush();
    EXPECT_EQ(under->PixelAt(0, 0), RGBColor(254, 126, 126)) << "red at alpha 128 over white";
    EXPECT_EQ(under->PixelAt(1, 0), RGBColor(126, 126, 126));
    EXPECT_EQ(under->PixelAt(3, 0), RGBColor(254, 254, 254)) << "alpha 0 keeps the background (as 254)";
}

TEST(SharedClassesPainting, RepeatedPaintingLeaksNoHandles)
{
    auto target = WhiteBitmap(32, 32);
    ui::TBitmap mask(16, 16), picture(16, 16), alpha(16, 16, ui::TPixelFormat::pf32bit);
    auto paintAll = [&] {
        ui::TCanvas& c = target->Canvas();
        TGraphicsProvider::DrawIndicatorCell(c, ui::Rect(0, 0, 12, 21), false, true, true);
        TGraphicsProvider::DrawButtonFrame(c, ui::Rect(0, 0, 20, 20), false);
        TGraphicsProvider::DrawFocusFrame(c, ui::Rect(2, 2, 18, 18), false);
        TGraphicsProvider::DrawText(c, ui::Rect(0, 0, 32, 16), true, L"Arayan numara", 2);
        TGraphicsProvider::VerticalGradient(c, ui::Rect(0, 0, 32, 32), clBlack, clWhite);
        TMaskProvider::DrawMasked(c, 4, 4, mask, picture);
        TDrawProvider::DrawGraphic(c, 8, 8, alpha);
    };
    paintAll(); // first use creates the canvas objects that stay with the bitmap
    testsupport::TGdiSnapshot before = testsupport::TakeGdiSnapshot();
    for (int i = 0; i < 200; ++i)
        paintAll();
    EXPECT_EQ(testsupport::GdiGrowth(before, testsupport::TakeGdiSnapshot()), "");
}
