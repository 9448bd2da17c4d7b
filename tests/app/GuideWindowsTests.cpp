// The five guide windows built from the descriptions and pictures compiled into this test
// program exactly as into the program: each shows its picture at the picture's size and depth
// and its label. A screenshot of each is written beside the test program (build/<flavour>/tests/app).
#include "app/Program.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "ui/controls/ExtCtrls.h"
#include "ui/controls/StdCtrls.h"
#include "ui/core/Description.h"
#include "ui/graphics/Jpeg.h"

#include "tests/device/SimHelpers.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace ui;

namespace {

struct TGuideCase {
    TForm* Form;
    const wchar_t* ImageName;
    int Width, Height;
    TPixelFormat Format; // pfCustom for a JPEG picture
    const wchar_t* LabelName;
    const wchar_t* Shot;
};

// Copies the window's on-screen pixels (frame included) into a bitmap.
std::unique_ptr<TBitmap> Screenshot(HWND wnd)
{
    TRect r;
    GetWindowRect(wnd, &r);
    auto shot = std::make_unique<TBitmap>(RectWidth(r), RectHeight(r));
    HDC screen = GetDC(nullptr);
    BitBlt(shot->Canvas().Handle(), 0, 0, RectWidth(r), RectHeight(r), screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return shot;
}

// Where the screenshots go: the test program's own folder in the build tree.
std::wstring ShotPath(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

class GuideWindowsTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        simtest::Simulator();
        testsupport::UsePrivateLocalAppData(L"guide-windows");
        Application->Initialize();
        CreateProgramForms();
    }
    static void TearDownTestSuite() { Application->Finalize(); }
};

} // namespace

TEST_F(GuideWindowsTest, EachGuideShowsItsPictureAndLabel)
{
    const TGuideCase cases[] = {
        {Form6, L"Image3", 410, 320, TPixelFormat::pf24bit, L"Label2", L"guide-Form6.bmp"},
        {Form2, L"Image1", 478, 322, TPixelFormat::pf24bit, L"Label1", L"guide-Form2.bmp"},
        {Form3, L"Image3", 497, 398, TPixelFormat::pf8bit, L"Label2", L"guide-Form3.bmp"},
        {ADSlbag, L"Image1", 572, 387, TPixelFormat::pfCustom, nullptr, L"guide-ADSlbag.bmp"},
        {splnedir, L"Image1", 413, 340, TPixelFormat::pfCustom, nullptr, L"guide-splnedir.bmp"},
    };
    for (const TGuideCase& c : cases) {
        SCOPED_TRACE(testsupport::Narrow(c.Form->Name()));
        auto* image = dynamic_cast<TImage*>(c.Form->FindComponent(c.ImageName));
        ASSERT_NE(image, nullptr);
        TGraphic* graphic = image->Picture().Graphic();
        ASSERT_NE(graphic, nullptr);
        EXPECT_EQ(graphic->Width(), c.Width);
        EXPECT_EQ(graphic->Height(), c.Height);
        if (c.Format == TPixelFormat::pfCustom) {
            auto* jpeg = dynamic_cast<TJPEGImage*>(graphic);
            ASSERT_NE(jpeg, nullptr) << "a JPEG picture";
            EXPECT_EQ(jpeg->Components(), 3) << "in colour";
            EXPECT_FALSE(jpeg->ProgressiveEncoding()) << "baseline";
        } else {
            auto* bitmap = dynamic_cast<TBitmap*>(graphic);
            ASSERT_NE(bitmap, nullptr) << "a bitmap picture";
            EXPECT_EQ(bitmap->PixelFormat(), c.Format);
        }
        EXPECT_EQ(image->Left(), 0);
        EXPECT_EQ(image->Top(), 0);
        EXPECT_EQ(image->Width(), c.Width) << "the picture control takes the picture's size";
        EXPECT_EQ(image->Height(), c.Height);
        EXPECT_FALSE(c.Form->Icon()->Empty()) << "each guide has its own icon";

        c.Form->Show();
        ASSERT_TRUE(testsupport::PumpUntil([&] { return IsWindowVisible(c.Form->Handle()) != FALSE; }));
        RedrawWindow(c.Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);

        // The picture is on screen: its pixels appear in the client area, at its place. What the
        // window painted reaches the X server in its own time, so screenshots are taken until
        // they show it (or the time limit says they never will).
        POINT origin{0, 0};
        ClientToScreen(c.Form->Handle(), &origin);
        TRect frame;
        GetWindowRect(c.Form->Handle(), &frame);
        int dx = origin.x - frame.left, dy = origin.y - frame.top;
        TBitmap reference;
        reference.Assign(*graphic);
        auto matchingSamples = [&](TBitmap& shot, int& samples) {
            int matches = 0;
            samples = 0;
            for (int y = 10; y < c.Height; y += 23)
                for (int x = 10; x < c.Width; x += 19) {
                    ++samples;
                    TColor seen = shot.PixelAt(dx + x, dy + y), want = reference.PixelAt(x, y);
                    if (std::abs(GetRValue32(seen) - GetRValue32(want)) < 24 &&
                        std::abs(GetGValue32(seen) - GetGValue32(want)) < 24 &&
                        std::abs(GetBValue32(seen) - GetBValue32(want)) < 24)
                        ++matches;
                }
            return matches;
        };
        std::unique_ptr<TBitmap> shot;
        int matches = 0, samples = 0;
        testsupport::PumpUntil([&] {
            shot = Screenshot(c.Form->Handle());
            matches = matchingSamples(*shot, samples);
            return matches > samples * 9 / 10;
        });
        shot->SaveToFile(ShotPath(c.Shot));
        EXPECT_GT(matches, samples * 9 / 10) << "the screenshot shows the picture";

        if (c.LabelName != nullptr) {
            auto* label = dynamic_cast<TLabel*>(c.Form->FindComponent(c.LabelName));
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->Font()->Height(), -29);
            int ink = 0;
            TColor face = ColorToRGB(clBtnFace);
            for (int y = label->Top(); y < label->Top() + label->Height(); ++y)
                for (int x = label->Left(); x < label->Left() + label->Width(); ++x)
                    ink += shot->PixelAt(dx + x, dy + y) != face;
            EXPECT_GT(ink, 50) << "the label's text is drawn";
        }
        c.Form->Hide();
    }
}

TEST_F(GuideWindowsTest, IconsAndCursorsAreInTheProgram)
{
    TIcon program;
    program.LoadFromIconResource(GetModuleHandleW(nullptr), L"MAINICON");
    ASSERT_EQ(program.ImageCount(), 6);
    int found = 0;
    for (int size : {16, 32, 48})
        for (int bits : {8, 32})
            for (int i = 0; i < program.ImageCount(); ++i)
                found += program.ImageInfo(i).Width == size && program.ImageInfo(i).Height == size &&
                         program.ImageInfo(i).BitCount == bits;
    EXPECT_EQ(found, 6) << "16, 32 and 48 pixels, each in 256 colours and in 32-bit colour";
    EXPECT_NE(program.Handle(16), nullptr);
    EXPECT_NE(program.Handle(48), nullptr);

    EXPECT_EQ(Form2->Icon()->ImageCount(), 1);
    EXPECT_EQ(Form2->Icon()->ImageInfo(0).Width, 16);
    EXPECT_EQ(ADSlbag->Icon()->ImageCount(), 7);
    EXPECT_EQ(splnedir->Icon()->ImageCount(), 7);
    EXPECT_NE(SendMessageW(Form6->Handle(), WM_GETICON, ICON_SMALL, 0), 0) << "the window shows its icon";

    int number = 3100;
    for (const wchar_t* name : {L"HORZSPLIT", L"COLUMNNODRAG", L"INDICATORSELECT", L"ROLL", L"ROLLUP", L"ROLLDOWN",
                                L"REVERSEDARROW"}) {
        SCOPED_TRACE(testsupport::Narrow(name));
        EXPECT_NO_THROW(Screen->RegisterCursorResource(number, name));
        EXPECT_NE(Screen->Cursors(number), Screen->Cursors(crArrow)) << "registered under its number";
        HCURSOR first = Screen->Cursors(number);
        Screen->RegisterCursorResource(number, name);
        EXPECT_EQ(Screen->Cursors(number), first) << "registering again keeps the cursor that may be on screen";
        ++number;
    }
    EXPECT_THROW(Screen->RegisterCursorResource(number, L"NOSUCHCURSOR"), EInvalidGraphic);

    TPicture broken;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ResourceDataResolver(L"guideadsl.jpg", bytes));
    bytes.resize(bytes.size() / 3);
    EXPECT_NO_THROW(broken.LoadFromBytes(bytes, L"guideadsl.jpg")) << "a truncated baseline JPEG still decodes (grey rest)";
    bytes.resize(300);
    try {
        broken.LoadFromBytes(bytes, L"guideadsl.jpg");
        FAIL() << "a JPEG cut inside its tables must be rejected";
    } catch (const EInvalidGraphic& e) {
        EXPECT_NE(e.Message().find(L"guideadsl.jpg"), std::wstring::npos) << testsupport::Narrow(e.Message());
    }
}
