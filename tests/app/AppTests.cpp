// The program's windows built from the descriptions compiled into this test program, and the
// single-line guide closing on a click on its empty area.
#include "app/Program.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/Unit6.h"

#include "tests/device/SimHelpers.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace ui;
using testsupport::Narrow;
using testsupport::PumpUntil;

namespace {

// Creates the six windows once, in the program's order, as the program entry does.
class AppWindows : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The main window hosts the device control: this build's simulator stands in for it.
        simtest::Simulator();
        testsupport::UsePrivateLocalAppData(L"app-windows");
        Application->Initialize();
        CreateProgramForms();
    }
    static void TearDownTestSuite() { Application->Finalize(); }
};

} // namespace

TEST_F(AppWindows, TheMainWindowIsFirstAndCarriesItsFixedSettings)
{
    EXPECT_EQ(Application->MainForm(), Form1);
    EXPECT_EQ(Form1->Caption(), L"Cihaz Test");
    EXPECT_EQ(Form1->Width(), 560);
    EXPECT_EQ(Form1->Height(), 443);
    EXPECT_EQ(Form1->Position(), TPosition::poScreenCenter);
    EXPECT_EQ(Form1->FormStyle(), TFormStyle::fsStayOnTop);
    ASSERT_NE(Form1->Timer2, nullptr);
    EXPECT_EQ(Form1->Timer2->Interval(), 50u);
    EXPECT_TRUE(Form1->Timer2->Enabled());
    EXPECT_NE(Form1->ApplicationEvents1, nullptr);
    EXPECT_FALSE(Form1->Visible()) << "nothing is shown before the message loop runs";
    EXPECT_FALSE(Form2->Visible());
}

TEST_F(AppWindows, GuideWindowsHaveTheirCaptionsAndPlaces)
{
    EXPECT_EQ(Form2->Caption(), L"2 Hatlı Cihaz Bağlantısı");
    EXPECT_EQ(Form3->Caption(), L"4 hatlı Cihaz Bağlantısı");
    EXPECT_EQ(ADSlbag->Caption(), L"İnternet hattı cihaza nasıl bağlanır ?  (ADSL hattı)");
    EXPECT_EQ(Form6->Caption(), L"Tek Hatlı Caller ID Cihazı  Bağlantısı");
    EXPECT_EQ(splnedir->Caption(), L"ADSL splitter nedir ?");
    EXPECT_EQ(ADSlbag->Position(), TPosition::poDesigned);
    EXPECT_EQ(ADSlbag->Left(), 352);
    EXPECT_EQ(ADSlbag->Top(), 350);
    EXPECT_EQ(Form6->Width(), 561);
    EXPECT_EQ(Form6->Height(), 496);
    EXPECT_EQ(Form2->Width(), 526);
    EXPECT_EQ(Form3->Height(), 581);
}

TEST_F(AppWindows, ClickingTheSingleLineGuidesEmptyAreaClosesIt)
{
    // Right of the picture and above the text: the window's own empty surface.
    const ui::TPoint empty = ui::Point(500, 5);
    ASSERT_LT(empty.x, Form6->ClientWidth());
    ASSERT_EQ(Form6->ControlAtPos(empty, true), nullptr) << "the point lies on no control of the guide";
    auto* closer = new TTimer(Form1);
    closer->SetInterval(50);
    closer->SetOnTimer([&](TObject*) {
        closer->SetEnabled(false);
        SendMessageW(Form6->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(empty.x, empty.y));
        SendMessageW(Form6->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(empty.x, empty.y));
    });
    EXPECT_EQ(Form6->ShowModal(), mrCancel);
    EXPECT_FALSE(Form6->Visible());
    delete closer;
}
