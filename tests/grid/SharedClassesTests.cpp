// Shared painting routines: placement, blending, mixing, luminance, and the theme services.
#include "grid/SharedClasses.h"
#include "grid/ThemesSupport.h"
#include "ui/core/SysUtils.h"

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
