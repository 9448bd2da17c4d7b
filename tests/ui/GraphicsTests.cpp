// Tests of the graphics layer: colours, the canvas painted into memory bitmaps and read back by
// pixel, bitmap depths and files, JPEG decoding, icons, and that nothing leaks handles.
#include "ui/graphics/Graphics.h"
#include "ui/graphics/GdiGuards.h"
#include "ui/graphics/ImgList.h"
#include "ui/graphics/Jpeg.h"
#include "ui/core/ScopeGuard.h"

#include "tests/support/GdiLeakCheck.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

// libjpeg's encoder makes the test pictures.
extern "C" {
#include <jpeglib.h>
}

using namespace ui;

namespace {

// A white 24-bit bitmap to paint on.
std::unique_ptr<TBitmap> WhiteBitmap(int w, int h, TPixelFormat format = TPixelFormat::pf24bit)
{
    auto b = std::make_unique<TBitmap>(w, h, format);
    b->Canvas().Brush().SetColor(clWhite);
    b->Canvas().FillRect(Rect(0, 0, w, h));
    return b;
}

// Columns [x0, x1) of the bitmap that hold any pixel other than white.
bool HasInk(const TBitmap& b, int x0, int x1, int y0 = 0, int y1 = -1)
{
    if (y1 < 0)
        y1 = b.Height();
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (b.PixelAt(x, y) != clWhite)
                return true;
    return false;
}

// Encodes an RGB picture (top row first) as a baseline JPEG.
std::vector<uint8_t> EncodeJpeg(int w, int h, const std::vector<uint8_t>& rgb, int quality = 95)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = w;
    info.image_height = h;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(rgb.data()) + size_t(info.next_scanline) * w * 3;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&info);
    free(out);
    return bytes;
}

bool Near(TColor a, TColor b, int tolerance)
{
    return std::abs(GetRValue32(a) - GetRValue32(b)) <= tolerance && std::abs(GetGValue32(a) - GetGValue32(b)) <= tolerance &&
           std::abs(GetBValue32(a) - GetBValue32(b)) <= tolerance;
}

} // namespace

TEST(Colors, SystemColoursResolveAndNamesRoundTrip)
{
    EXPECT_LT(clBtnFace, 0) << "system colours are negative";
    EXPECT_EQ(ColorToRGB(clBtnFace), TColor(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(ColorToRGB(clHighlight), TColor(GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FF) << "red is in the low byte";
    EXPECT_EQ(ColorToString(clInfoBk), L"clInfoBk");
    EXPECT_EQ(StringToColor(L"clGrayText"), clGrayText);
    EXPECT_EQ(StringToColor(L"$00123456"), 0x123456);
    EXPECT_EQ(ColorToString(0x123456), L"$00123456");
    EXPECT_EQ(StringToColor(ColorToString(0x0FEDCBA)), 0x0FEDCBA);
    EXPECT_THROW(StringToColor(L"clNoSuchColour"), EConvertError);
    EXPECT_THROW(ColorFromValue(TValue::Ident(L"clBlu")), EConvertError);
    EXPECT_EQ(ColorToValue(cl3DDkShadow).Str, L"cl3DDkShadow");
    EXPECT_EQ(ColorFromValue(TValue::Integer(0xFF)), clRed);
}

TEST(Canvas, FillsFramesLinesAndPixels)
{
    auto b = WhiteBitmap(40, 40);
    TCanvas& c = b->Canvas();
    c.Brush().SetColor(clRed);
    c.FillRect(Rect(10, 10, 20, 20));
    EXPECT_EQ(b->PixelAt(10, 10), clRed);
    EXPECT_EQ(b->PixelAt(19, 19), clRed);
    EXPECT_EQ(b->PixelAt(20, 20), clWhite) << "right and bottom edges are outside the fill";

    c.Brush().SetColor(clBlue);
    c.FrameRect(Rect(0, 0, 8, 8));
    EXPECT_EQ(b->PixelAt(0, 0), clBlue);
    EXPECT_EQ(b->PixelAt(7, 7), clBlue);
    EXPECT_EQ(b->PixelAt(3, 3), clWhite) << "a frame leaves the inside alone";

    c.Pen().SetColor(clBlack);
    c.MoveTo(0, 30);
    c.LineTo(10, 30);
    EXPECT_EQ(b->PixelAt(0, 30), clBlack);
    EXPECT_EQ(b->PixelAt(9, 30), clBlack);
    EXPECT_EQ(b->PixelAt(10, 30), clWhite) << "a line leaves out its end point";
    EXPECT_EQ(c.PenPos().x, 10);

    c.SetPixel(35, 35, clGreen);
    EXPECT_EQ(c.Pixel(35, 35), clGreen);

    TRect r = Rect(22, 0, 32, 10);
    c.Frame3D(r, clWhite, clBlack, 1);
    EXPECT_EQ(b->PixelAt(31, 0), clBlack) << "the bottom-right colour owns the top-right corner";
    EXPECT_EQ(b->PixelAt(22, 9), clBlack) << "and the bottom-left corner";
    EXPECT_EQ(b->PixelAt(31, 5), clBlack);
    EXPECT_EQ(r, Rect(23, 1, 31, 9)) << "the rectangle shrinks by the frame";

    c.Brush().SetColor(clWhite);
    c.FillRect(Rect(0, 36, 40, 40));
    c.InvertRect(Rect(0, 36, 4, 40));
    EXPECT_EQ(b->PixelAt(0, 36), clBlack);
    EXPECT_EQ(b->PixelAt(4, 36), clWhite);
    TBitmap copy(4, 4);
    copy.Canvas().CopyRect(Rect(0, 0, 4, 4), c, Rect(0, 36, 4, 40));
    EXPECT_EQ(copy.PixelAt(0, 0), clBlack) << "plain copy";
    c.SetCopyMode(cmDstInvert);
    c.CopyRect(Rect(0, 36, 4, 40), copy.Canvas(), Rect(0, 0, 4, 4));
    EXPECT_EQ(b->PixelAt(1, 37), clWhite) << "destination-invert copy";
}

TEST(Canvas, PolygonFillRuleAndClipping)
{
    // A pentagram: its centre is inside by the winding rule and outside by the alternate rule.
    std::vector<TPoint> star = {{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}};
    for (TFillMode mode : {TFillMode::fmAlternate, TFillMode::fmWinding}) {
        auto b = WhiteBitmap(41, 41);
        TCanvas& c = b->Canvas();
        c.Pen().SetColor(clRed);
        c.Brush().SetColor(clRed);
        c.SetPolyFillMode(mode);
        c.Polygon(star);
        EXPECT_EQ(b->PixelAt(20, 20), mode == TFillMode::fmWinding ? clRed : clWhite)
            << "centre with fill mode " << int(mode);
        EXPECT_EQ(b->PixelAt(20, 5), clRed) << "a point of the star";
    }

    auto b = WhiteBitmap(20, 20);
    TCanvas& c = b->Canvas();
    c.SetClipRect(Rect(5, 5, 10, 10));
    EXPECT_EQ(c.ClipRect(), Rect(5, 5, 10, 10));
    c.Brush().SetColor(clBlack);
    c.FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(b->PixelAt(5, 5), clBlack);
    EXPECT_EQ(b->PixelAt(4, 5), clWhite) << "outside the clip nothing is drawn";
    EXPECT_EQ(b->PixelAt(10, 9), clWhite);
    c.ResetClip();
    c.FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(b->PixelAt(0, 0), clBlack) << "after a reset the whole bitmap is drawable";

    // A clip given in coordinates of an offset canvas (as a windowless control paints).
    auto o = WhiteBitmap(20, 20);
    SetViewportOrgEx(o->Canvas().Handle(), 10, 10, nullptr);
    o->Canvas().SetClipRect(Rect(0, 0, 5, 5));
    o->Canvas().Brush().SetColor(clBlack);
    o->Canvas().FillRect(Rect(-10, -10, 10, 10));
    SetViewportOrgEx(o->Canvas().Handle(), 0, 0, nullptr);
    EXPECT_EQ(o->PixelAt(10, 10), clBlack);
    EXPECT_EQ(o->PixelAt(9, 9), clWhite);
    EXPECT_EQ(o->PixelAt(15, 15), clWhite);
}

TEST(Canvas, TextAlignmentEllipsisAndAmpersand)
{
    auto b = WhiteBitmap(120, 20);
    TCanvas& c = b->Canvas();
    c.Font().SetName(L"Tahoma");
    c.Font().SetHeight(-11);
    c.Font().SetColor(clBlack);
    c.Brush().SetStyle(TBrushStyle::bsClear);
    TRect r = Rect(0, 0, 120, 20);
    c.DrawText(L"Ab", r, DT_SINGLELINE | DT_RIGHT | DT_VCENTER);
    EXPECT_FALSE(HasInk(*b, 0, 90)) << "right-aligned text stays at the right";
    EXPECT_TRUE(HasInk(*b, 100, 120));

    b = WhiteBitmap(120, 20);
    r = Rect(0, 0, 120, 20);
    b->Canvas().Font().SetColor(clBlack);
    b->Canvas().Brush().SetStyle(TBrushStyle::bsClear);
    b->Canvas().DrawText(L"Ab", r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    EXPECT_FALSE(HasInk(*b, 0, 40));
    EXPECT_TRUE(HasInk(*b, 50, 70)) << "centred text";
    EXPECT_FALSE(HasInk(*b, 80, 120));

    // An ampersand alone: with prefix processing it would only mark the next letter.
    b = WhiteBitmap(40, 20);
    r = Rect(0, 0, 40, 20);
    b->Canvas().Font().SetColor(clBlack);
    b->Canvas().DrawText(L"&", r, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_TRUE(HasInk(*b, 0, 40)) << "the ampersand is printed";

    // Text too wide for its rectangle ends in dots: only the lower part of the line has ink there.
    b = WhiteBitmap(60, 20);
    r = Rect(0, 0, 60, 20);
    b->Canvas().Font().SetColor(clBlack);
    SIZE full = b->Canvas().TextExtent(L"WWWWWWWWWWWWWWWW");
    EXPECT_GT(full.cx, 60);
    b->Canvas().DrawText(L"WWWWWWWWWWWWWWWW", r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    int lastInk = -1;
    for (int x = 0; x < 60; ++x)
        if (HasInk(*b, x, x + 1))
            lastInk = x;
    ASSERT_GT(lastInk, 5);
    int textTop = 20, textBottom = 0;
    for (int y = 0; y < 20; ++y)
        if (HasInk(*b, 0, lastInk + 1, y, y + 1)) {
            textTop = std::min(textTop, y);
            textBottom = std::max(textBottom, y);
        }
    EXPECT_FALSE(HasInk(*b, lastInk - 1, lastInk + 1, textTop, textTop + (textBottom - textTop) / 2))
        << "the last drawn columns are a dot, low in the line";
    EXPECT_TRUE(HasInk(*b, lastInk - 1, lastInk + 1, textBottom - 2, textBottom + 1));
}

TEST(Canvas, FontPenBrushChangesReleaseTheirHandles)
{
    auto before = testsupport::TakeGdiSnapshot();
    {
        auto b = WhiteBitmap(50, 20);
        TCanvas& c = b->Canvas();
        for (int i = 0; i < 500; ++i) {
            c.Font().SetHeight(-10 - i % 7);
            c.Font().SetStyle(i % 2 ? TFontStyles{TFontStyle::fsBold} : TFontStyles{});
            c.Pen().SetColor(RGBColor(i, 0, 0));
            c.Brush().SetColor(RGBColor(0, i, 0));
            c.TextOut(0, 0, L"x");
            c.Rectangle(0, 0, 10, 10);
        }
        // A canvas's font, pen and brush each keep at most three earlier handles for reuse.
        EXPECT_LE(GdiObjectCount() - before.WrappedGdi, 2 + 3 * 4)
            << "bitmap, context, and four handles each of font, pen and brush at most";
    }
    EXPECT_EQ(testsupport::GdiGrowth(before, testsupport::TakeGdiSnapshot()), "");
}

// Measures are kept per font handle: a font changed and changed back measures as it did, and
// what the context's handle of a kept font measures is what GDI measures.
TEST(Canvas, MeasuresFollowTheFont)
{
    auto b = WhiteBitmap(50, 20);
    TCanvas& c = b->Canvas();
    c.Font().SetHeight(-10);
    const SIZE small = c.TextExtent(L"WWWW");
    c.Font().SetHeight(-20);
    const SIZE large = c.TextExtent(L"WWWW");
    EXPECT_GT(large.cx, small.cx);
    EXPECT_GT(large.cy, small.cy);
    SIZE direct{};
    GetTextExtentPoint32W(c.Handle(), L"WWWW", 4, &direct);
    EXPECT_EQ(direct.cx, large.cx);
    c.Font().SetStyle(TFontStyles{TFontStyle::fsBold});
    EXPECT_GE(c.TextExtent(L"WWWW").cx, large.cx);
    c.Font().SetStyle(TFontStyles{});
    c.Font().SetHeight(-10);
    EXPECT_EQ(c.TextExtent(L"WWWW").cx, small.cx);
    EXPECT_EQ(c.TextExtent(L"").cy, small.cy) << "an empty text has the line's height";
}

// The scoped guards give back what they hold however the scope ends, and hand it over when asked.
TEST(Guards, GdiObjectsAndSelectionsGoBackAtScopeEnd)
{
    HBRUSH kept = nullptr;
    HBRUSH gone = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HGDIOBJ before = GetCurrentObject(dc, OBJ_BRUSH);
    try {
        TGdiObject<HBRUSH> brush(CreateSolidBrush(RGB(1, 2, 3)));
        TGdiObject<HBRUSH> handed(CreateSolidBrush(RGB(4, 5, 6)));
        gone = brush;
        kept = handed.Release();
        TSelectObject selected(dc, brush);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), static_cast<HGDIOBJ>(brush.Get()));
        throw std::runtime_error("drawing failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), before) << "the context's own brush is selected again";
    EXPECT_EQ(GetObjectType(gone), 0u) << "an owned brush is deleted on the way out";
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_BRUSH)) << "a released brush is left to its new owner";
    DeleteObject(kept);

    TGdiObject<HRGN> first(CreateRectRgn(0, 0, 1, 1));
    HRGN firstHandle = first;
    TGdiObject<HRGN> second(std::move(first));
    EXPECT_FALSE(first) << "a moved-from guard holds nothing";
    second.Reset(CreateRectRgn(0, 0, 2, 2));
    EXPECT_EQ(GetObjectType(firstHandle), 0u) << "Reset deletes what was held before";

    TCanvas canvas;
    {
        TCanvasBinding binding(canvas, dc);
        canvas.Brush().SetColor(RGBColor(7, 8, 9));
        canvas.FillRect(Rect(0, 0, 1, 1));
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), before) << "the canvas gives the context back unchanged";
    EXPECT_THROW(canvas.Handle(), Exception) << "and keeps no context after the binding";
    DeleteDC(dc);

    int runs = 0;
    {
        TScopeExit undo([&runs] { ++runs; });
        undo.RunNow();
    }
    EXPECT_EQ(runs, 1) << "an action run early does not run again at scope end";
    {
        TScopeExit undo([&runs] { ++runs; });
        undo.Dismiss();
    }
    EXPECT_EQ(runs, 1) << "a dismissed action does not run";
}

TEST(Bitmap, DepthsScanLinesAndFiles)
{
    TBitmap b(5, 3);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(b.BytesPerLine(), 16) << "rows are padded to 4 bytes";
    uint8_t* row = b.ScanLine(1);
    row[3 * 2 + 0] = 0x30; // blue
    row[3 * 2 + 1] = 0x20; // green
    row[3 * 2 + 2] = 0x10; // red
    EXPECT_EQ(b.Canvas().Pixel(2, 1), RGBColor(0x10, 0x20, 0x30)) << "scan line and canvas share pixels";
    b.Canvas().SetPixel(4, 2, clRed);
    EXPECT_EQ(b.ScanLine(2)[4 * 3 + 2], 0xFF) << "canvas drawing reaches the scan lines";

    std::vector<uint8_t> file = b.SaveToBytes();
    TBitmap loaded;
    loaded.LoadFromBytes(file);
    EXPECT_EQ(loaded.Width(), 5);
    EXPECT_EQ(loaded.Height(), 3);
    EXPECT_EQ(loaded.PixelAt(2, 1), RGBColor(0x10, 0x20, 0x30)) << "rows keep their order through a file";
    EXPECT_EQ(loaded.PixelAt(4, 2), clRed);

    b.SetPixelFormat(TPixelFormat::pf8bit);
    EXPECT_EQ(b.BitsPerPixel(), 8);
    EXPECT_EQ(b.Palette().size(), 256u);
    EXPECT_EQ(b.PixelAt(4, 2), clRed) << "pure red is in the default palette";
    TBitmap eight;
    eight.LoadFromBytes(b.SaveToBytes());
    EXPECT_EQ(eight.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(eight.PixelAt(4, 2), clRed);

    b.SetPixelFormat(TPixelFormat::pf32bit);
    EXPECT_EQ(b.PixelAt(4, 2), clRed);
    EXPECT_EQ(b.ScanLine(0)[3], 255) << "converted pixels are opaque";

    b.SetSize(2, 2);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);

    std::vector<uint8_t> broken = file;
    broken.resize(60);
    EXPECT_THROW(loaded.LoadFromBytes(broken), EInvalidGraphic) << "truncated pixels";
    EXPECT_THROW(loaded.LoadFromBytes({'B', 'M', 0, 0}), EInvalidGraphic);
    EXPECT_EQ(loaded.Width(), 5) << "a failed load leaves the picture as it was";
    EXPECT_THROW(b.ScanLine(2), EInvalidGraphic);
}

TEST(Bitmap, TransparentAndStretchedDrawing)
{
    TBitmap sprite(4, 4);
    sprite.Canvas().Brush().SetColor(clFuchsia);
    sprite.Canvas().FillRect(Rect(0, 0, 4, 4));
    sprite.Canvas().Brush().SetColor(clBlue);
    sprite.Canvas().FillRect(Rect(1, 1, 3, 3));
    EXPECT_EQ(sprite.TransparentColor(), clFuchsia) << "the bottom-left pixel by default";
    sprite.SetTransparent(true);

    auto b = WhiteBitmap(10, 10);
    b->Canvas().Draw(2, 2, sprite);
    EXPECT_EQ(b->PixelAt(2, 2), clWhite) << "the transparent colour is left out";
    EXPECT_EQ(b->PixelAt(3, 3), clBlue);

    b->Canvas().DrawTransparent(6, 6, sprite, clBlue);
    EXPECT_EQ(b->PixelAt(6, 6), clFuchsia);
    EXPECT_EQ(b->PixelAt(7, 7), clWhite);

    sprite.SetTransparent(false);
    auto s = WhiteBitmap(8, 8);
    s->Canvas().StretchDraw(Rect(0, 0, 8, 8), sprite);
    EXPECT_EQ(s->PixelAt(0, 0), clFuchsia);
    EXPECT_EQ(s->PixelAt(3, 3), clBlue);
    EXPECT_EQ(s->PixelAt(4, 4), clBlue);
}

TEST(Jpeg, DecodesBaselinePicturesAndRejectsBrokenOnes)
{
    const int w = 32, h = 16;
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
            bool left = x < w / 2;
            p[0] = left ? 220 : 20;
            p[1] = 30;
            p[2] = left ? 30 : 200;
        }
    std::vector<uint8_t> file = EncodeJpeg(w, h, rgb);

    TJPEGImage jpeg;
    jpeg.LoadFromBytes(file);
    EXPECT_EQ(jpeg.Width(), w);
    EXPECT_EQ(jpeg.Height(), h);
    EXPECT_EQ(jpeg.Components(), 3);
    EXPECT_FALSE(jpeg.ProgressiveEncoding());
    EXPECT_TRUE(Near(jpeg.Bitmap().PixelAt(4, 8), RGBColor(220, 30, 30), 24)) << "red half";
    EXPECT_TRUE(Near(jpeg.Bitmap().PixelAt(28, 8), RGBColor(20, 30, 200), 24)) << "blue half";
    EXPECT_EQ(jpeg.SaveToBytes(), file) << "the file is kept as it was";

    auto canvas = WhiteBitmap(w, h);
    canvas->Canvas().Draw(0, 0, jpeg);
    EXPECT_TRUE(Near(canvas->PixelAt(4, 8), RGBColor(220, 30, 30), 24));

    TPicture picture;
    picture.LoadFromBytes(file, L"test.jpg");
    ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), w);

    std::vector<uint8_t> broken(file.begin(), file.begin() + 20);
    try {
        TJPEGImage j;
        j.LoadFromBytes(broken);
        FAIL() << "a truncated JPEG must raise an error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message().rfind(L"JPEG error: ", 0), 0u) << testing::PrintToString(std::string(e.what()));
        EXPECT_GT(e.Message().size(), 14u) << "libjpeg's message follows";
    }
    try {
        picture.LoadFromBytes(broken, L"guide.jpg");
        FAIL() << "a broken picture must raise an error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_NE(e.Message().find(L"guide.jpg"), std::wstring::npos) << "the error names the picture";
    }
    EXPECT_EQ(picture.Width(), w) << "the old picture stays";
    EXPECT_THROW(picture.LoadFromBytes({1, 2, 3, 4}, L"junk.bin"), EInvalidGraphic);
}

namespace {

// An .ico file with square 32-bit images of the given sizes, each filled with one colour.
std::vector<uint8_t> MakeIcon(const std::vector<std::pair<int, uint32_t>>& images)
{
    std::vector<uint8_t> out(6 + 16 * images.size());
    out[2] = 1;
    out[4] = static_cast<uint8_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        int s = images[i].first;
        BITMAPINFOHEADER h{};
        h.biSize = sizeof(h);
        h.biWidth = s;
        h.biHeight = s * 2;
        h.biPlanes = 1;
        h.biBitCount = 32;
        int maskStride = ((s + 31) / 32) * 4;
        std::vector<uint8_t> data(sizeof(h) + size_t(s) * s * 4 + size_t(maskStride) * s);
        std::memcpy(data.data(), &h, sizeof(h));
        for (int p = 0; p < s * s; ++p)
            std::memcpy(&data[sizeof(h) + p * 4], &images[i].second, 4);
        uint8_t* entry = &out[6 + 16 * i];
        entry[0] = static_cast<uint8_t>(s);
        entry[1] = static_cast<uint8_t>(s);
        entry[4] = 1;
        entry[6] = 32;
        uint32_t size = static_cast<uint32_t>(data.size()), offset = static_cast<uint32_t>(out.size());
        std::memcpy(entry + 8, &size, 4);
        std::memcpy(entry + 12, &offset, 4);
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

} // namespace

TEST(Icon, ChoosesTheImageForEachSizeAndReleasesHandles)
{
    auto before = testsupport::TakeGdiSnapshot();
    {
        TIcon icon;
        icon.LoadFromBytes(MakeIcon({{16, 0xFFFF0000}, {32, 0xFF00FF00}}));
        EXPECT_EQ(icon.ImageCount(), 2);
        EXPECT_EQ(icon.ImageInfo(1).Width, 32);
        EXPECT_EQ(icon.ImageInfo(1).BitCount, 32);
        ASSERT_NE(icon.Handle(16), nullptr);
        ASSERT_NE(icon.Handle(32), nullptr);
        EXPECT_EQ(icon.Handle(16), icon.Handle(16)) << "handles are kept per size";

        auto b = WhiteBitmap(16, 16);
        b->Canvas().StretchDraw(Rect(0, 0, 16, 16), icon);
        EXPECT_EQ(b->PixelAt(8, 8), RGBColor(255, 0, 0)) << "the 16-pixel image (red) is drawn at 16";
        auto big = WhiteBitmap(32, 32);
        big->Canvas().StretchDraw(Rect(0, 0, 32, 32), icon);
        EXPECT_EQ(big->PixelAt(8, 8), RGBColor(0, 255, 0)) << "the 32-pixel image (green) at 32";
        EXPECT_GE(UserObjectCount(), before.WrappedUser + 2);
        EXPECT_THROW(icon.LoadFromBytes({0, 0, 1, 0, 5, 0}), EInvalidGraphic);
    }
    EXPECT_EQ(testsupport::GdiGrowth(before, testsupport::TakeGdiSnapshot()), "");
}

TEST(ImageList, KeepsCopiesDrawsThemTransparentlyAndReleasesItsHandle)
{
    auto before = testsupport::TakeGdiSnapshot();
    {
        TImageList list(nullptr);
        list.SetWidth(8);
        list.SetHeight(8);
        // One strip of two images: the first red, the second a blue square on fuchsia.
        TBitmap strip(16, 8);
        strip.Canvas().Brush().SetColor(clRed);
        strip.Canvas().FillRect(Rect(0, 0, 8, 8));
        strip.Canvas().Brush().SetColor(clFuchsia);
        strip.Canvas().FillRect(Rect(8, 0, 16, 8));
        strip.Canvas().Brush().SetColor(clBlue);
        strip.Canvas().FillRect(Rect(10, 2, 14, 6));
        EXPECT_EQ(list.AddMasked(strip, clFuchsia), 0);
        EXPECT_EQ(list.Count(), 2) << "a strip becomes one image per width";
        strip.Canvas().Brush().SetColor(clGreen);
        strip.Canvas().FillRect(Rect(0, 0, 16, 8));
        auto b = WhiteBitmap(20, 10);
        list.Draw(b->Canvas(), 0, 0, 0);
        EXPECT_EQ(b->PixelAt(3, 3), clRed) << "the list keeps its own copy";
        list.Draw(b->Canvas(), 10, 0, 1);
        EXPECT_EQ(b->PixelAt(10, 0), clWhite) << "the masked colour is see-through";
        EXPECT_EQ(b->PixelAt(12, 3), clBlue);
        TBitmap copy;
        list.GetBitmap(1, copy, clYellow);
        EXPECT_EQ(copy.Width(), 8);
        EXPECT_EQ(copy.PixelAt(0, 0), clYellow);
        list.Delete(0);
        EXPECT_EQ(list.Count(), 1);
        EXPECT_THROW(list.Draw(b->Canvas(), 0, 0, 1), EListError);
        TBitmap tall(8, 9);
        EXPECT_THROW(list.Add(tall), EInvalidGraphic) << "a picture of another height";
        list.SetWidth(16);
        EXPECT_EQ(list.Count(), 0) << "a new size empties the list";
    }
    EXPECT_EQ(testsupport::GdiGrowth(before, testsupport::TakeGdiSnapshot()), "");
}
