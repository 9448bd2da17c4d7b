// Generates the program's pictures, icons and cursors into the resources folder:
//   make_resources.exe <resources folder>
// The outputs are committed; run it again (under Wine: `cmake --build build --target
// resources`) after changing a drawing.
#include "tools/GuideDrawings.h"
#include "tools/ResourceWriters.h"

#include <cstdio>
#include <string>

using namespace ui;
using namespace tools;

namespace {

void SaveBitmap(const std::wstring& path, std::unique_ptr<TBitmap> picture, TPixelFormat format)
{
    picture->SetPixelFormat(format);
    WriteFile(path, picture->SaveToBytes());
}

std::vector<uint8_t> MultiSizeIcon(std::unique_ptr<TBitmap> (*draw)(int), const std::vector<std::pair<int, int>>& images)
{
    std::vector<std::unique_ptr<TBitmap>> pictures;
    std::vector<TIconImage> entries;
    for (auto [size, bits] : images) {
        pictures.push_back(draw(size));
        entries.push_back(TIconImage{pictures.back().get(), clFuchsia, bits});
    }
    return IconFile(entries);
}

void Generate(const std::wstring& dir)
{
    SaveBitmap(dir + L"/guide1.bmp", DrawGuide(TGuideKind::SingleLine, 410, 320), TPixelFormat::pf24bit);
    SaveBitmap(dir + L"/guide2.bmp", DrawGuide(TGuideKind::TwoLines, 478, 322), TPixelFormat::pf24bit);
    SaveBitmap(dir + L"/guide4.bmp", DrawGuide(TGuideKind::FourLines, 497, 398), TPixelFormat::pf8bit);
    WriteFile(dir + L"/guideadsl.jpg", JpegFile(*DrawGuide(TGuideKind::AdslLine, 572, 387), 90));
    WriteFile(dir + L"/guidesplitter.jpg", JpegFile(*DrawGuide(TGuideKind::Splitter, 413, 340), 90));
    SaveBitmap(dir + L"/thumbdevice.bmp", DrawDeviceThumbnail(96, 68), TPixelFormat::pf24bit);
    SaveBitmap(dir + L"/thumbinternet.bmp", DrawInternetThumbnail(96, 68), TPixelFormat::pf24bit);

    // The program's icon: 16, 32 and 48 pixels, each in 256 colours and in 32-bit colour.
    WriteFile(dir + L"/CallerIdTest.ico",
              MultiSizeIcon(DrawProgramIcon, {{16, 8}, {32, 8}, {48, 8}, {16, 32}, {32, 32}, {48, 32}}));
    // The guide windows' icons: one 16 x 16 image, and seven images of 16, 32 and 48 pixels.
    WriteFile(dir + L"/guide16.ico", MultiSizeIcon(DrawGuideIcon, {{16, 8}}));
    WriteFile(dir + L"/guide7.ico",
              MultiSizeIcon(DrawGuideIcon, {{16, 4}, {16, 8}, {16, 32}, {32, 8}, {32, 32}, {48, 8}, {48, 32}}));

    const std::pair<TCursorKind, const wchar_t*> cursors[] = {
        {TCursorKind::HorzSplit, L"horzsplit.cur"},       {TCursorKind::ColumnNoDrag, L"columnnodrag.cur"},
        {TCursorKind::IndicatorSelect, L"indicatorselect.cur"}, {TCursorKind::Roll, L"roll.cur"},
        {TCursorKind::RollUp, L"rollup.cur"},             {TCursorKind::RollDown, L"rolldown.cur"},
        {TCursorKind::ReversedArrow, L"reversedarrow.cur"},
    };
    for (auto [kind, file] : cursors) {
        int hx = 0, hy = 0;
        auto picture = DrawCursor(kind, hx, hy);
        WriteFile(dir + L"/" + file, IconFile({TIconImage{picture.get(), clFuchsia, 1, hx, hy}}, true));
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: make_resources <resources folder>\n");
        return 2;
    }
    try {
        Generate(argv[1]);
    } catch (const Exception& e) {
        std::fwprintf(stderr, L"make_resources: %ls\n", e.Message().c_str());
        return 1;
    }
    return 0;
}
