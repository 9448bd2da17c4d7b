// The "Test" page driven through the simulated device control's test interface: the connection
// watch and its reset on disconnect, the signal meters, and the error lines in the notice box.
#include "app/Program.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "ui/controls/Dialogs.h"

#include "tests/device/SimHelpers.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

using namespace ui;
using testsupport::Narrow;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

const std::vector<std::wstring> kNoticeLines = {L"Cihaz ile ilgili başka program çalışıyorsa lütfen sonlandırınız.",
                                                L"Aynı anda, 1 uygulama cihaza  bağlantı sağlayabilir."};

// Polls run when a test says so, not on the window's own timer.
class TestPage : public testsupport::TProgramWindows {
protected:
    static void SetUpTestSuite() { StartProgram(); }
    static void TearDownTestSuite() { StopProgram(); }

    void SetUp() override
    {
        TProgramWindows::SetUp();
        ASSERT_TRUE(simtest::Status(Sim.Get()).Started) << "the first show started the control";
        Unplug();
        Form1->Label9->SetText(L"--");
        FailOnMessageBoxes();
    }

    void Plug(const std::wstring& model, const std::wstring& serial)
    {
        TBStr m(model), s(serial);
        ASSERT_EQ(S_OK, Sim->SimSetDevice(TRUE, m.Get(), s.Get()));
    }
    void Unplug() { ASSERT_EQ(S_OK, Sim->SimSetDevice(FALSE, nullptr, nullptr)); }
    // One poll of the connection watch, as the window's timer runs it.
    void Poll() { Form1->Timer1Timer(Form1->Timer1); }
    void Levels(std::initializer_list<std::wstring> levels)
    {
        ASSERT_EQ(S_OK, simtest::RaiseStrings(Sim.Get(), DISPID_Dalvex_OnSignalA, levels));
    }
    std::wstring Status() const { return Form1->Label9->Caption(); }
};

} // namespace

TEST_F(TestPage, TheStatusLineFollowsTheSixTransitionsAndResetsOnceOnDisconnect)
{
    // First poll, no device.
    Poll();
    EXPECT_EQ(Status(), L"Bağlantı bekleniyor");
    EXPECT_EQ(Form1->Label24->Caption(), L"");
    EXPECT_EQ(Form1->Label25->Caption(), L"");
    // Waiting, still nothing: nothing changes, nothing is reset.
    Form1->CallCounter = 5;
    Form1->Label5->SetText(L"5");
    Poll();
    EXPECT_EQ(Status(), L"Bağlantı bekleniyor");
    EXPECT_EQ(Form1->Label5->Caption(), L"5") << "a device absent from the start never resets the list";
    // Waiting, then a device.
    Plug(L"DLX-4 USB", L"10004711");
    Poll();
    EXPECT_EQ(Status(), L"Cihaz bağlı");
    EXPECT_EQ(Form1->Label24->Caption(), L"Cihaz modeli: DLX-4 USB");
    EXPECT_EQ(Form1->Label25->Caption(), L"Seri no: 10004711");
    // Connected, still there.
    Poll();
    EXPECT_EQ(Status(), L"Cihaz bağlı");
    EXPECT_EQ(Form1->CallCounter, 5);
    // Connected, then gone: the list is reset once.
    Form1->Memo2->Lines().Add(L"12:00:00:some error");
    Unplug();
    Poll();
    EXPECT_EQ(Status(), L"Bağlantı bekleniyor");
    EXPECT_EQ(Form1->Label24->Caption(), L"");
    EXPECT_EQ(Form1->Label25->Caption(), L"");
    EXPECT_EQ(Form1->CallCounter, 0);
    EXPECT_EQ(Form1->Label5->Caption(), L"0");
    EXPECT_EQ(Form1->Memo2->LinesList(), kNoticeLines);
    // The following polls change nothing more.
    Form1->CallCounter = 2;
    Form1->Label5->SetText(L"2");
    Poll();
    Poll();
    EXPECT_EQ(Form1->CallCounter, 2);
    EXPECT_EQ(Form1->Label5->Caption(), L"2");

    // First poll with a device already there.
    Form1->Label9->SetText(L"--");
    Plug(L"DLX-1", L"");
    Poll();
    EXPECT_EQ(Status(), L"Cihaz bağlı");
    EXPECT_EQ(Form1->Label25->Caption(), L"Seri no: ") << "an empty serial leaves nothing after the label";
    EXPECT_EQ(Form1->CallCounter, 2);
}

TEST_F(TestPage, AModelOutsideTheCodePageShowsTheDefaultCharacter)
{
    Plug(L"Model \u4E2D", L"S\u4E2D1");
    Poll();
    EXPECT_EQ(Form1->Label24->Caption(), L"Cihaz modeli: Model ?");
    EXPECT_EQ(Form1->Label25->Caption(), L"Seri no: S?1");
    EXPECT_EQ(Status(), L"Cihaz bağlı");
}

TEST_F(TestPage, AFailingQueryLogsOneLineAndEndsThatPollWhereItStood)
{
    Plug(L"DLX-2", L"77");
    Poll();
    Form1->CallCounter = 3;
    Form1->Label5->SetText(L"3");
    Unplug();
    ASSERT_EQ(S_OK, Sim->SimFailNextCall(E_FAIL));
    Form1->Timer1->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([] { return Form1->Memo2->Lines().Count() == 2 &&
                                      Form1->Memo2->Lines()[1] != kNoticeLines[1]; }))
        << "the failure reached the notice box";
    Form1->Timer1->SetEnabled(false);
    std::wstring line = Form1->Memo2->Lines()[1];
    EXPECT_NE(line.find(L":" + simtest::SystemMessage(E_FAIL)), std::wstring::npos) << Narrow(line);
    // That poll changed nothing: still shown as connected, nothing reset.
    EXPECT_EQ(Status(), L"Cihaz bağlı");
    EXPECT_EQ(Form1->Label24->Caption(), L"Cihaz modeli: DLX-2");
    EXPECT_EQ(Form1->Label5->Caption(), L"3");
    // The next poll sees the device gone.
    Poll();
    EXPECT_EQ(Status(), L"Bağlantı bekleniyor");
    EXPECT_EQ(Form1->Label5->Caption(), L"0");
}

TEST_F(TestPage, TheMetersShowParsedLevelsWithClampedBarsAndChangeAllOrNothing)
{
    TProgressBar* bars[] = {Form1->ProgressBar1, Form1->ProgressBar2, Form1->ProgressBar3, Form1->ProgressBar4};
    TLabel* numbers[] = {Form1->Label1, Form1->Label2, Form1->Label3, Form1->Label4};
    auto positions = [&] {
        std::vector<int> p;
        for (TProgressBar* b : bars)
            p.push_back(static_cast<int>(SendMessageW(b->Handle(), PBM_GETPOS, 0, 0)));
        return p;
    };
    auto captions = [&] {
        std::vector<std::wstring> c;
        for (TLabel* l : numbers)
            c.push_back(l->Caption());
        return c;
    };

    Levels({L"0", L"15", L"45", L"-2", L"9", L"9", L"9", L"9"});
    EXPECT_EQ(positions(), (std::vector<int>{0, 15, 30, 0})) << "the window's bars: empty, half, full, empty";
    EXPECT_EQ(captions(), (std::vector<std::wstring>{L"0", L"15", L"45", L"-2"}));

    Levels({L"07", L"3", L"4", L"5", L"", L"x", L"", L""});
    EXPECT_EQ(captions(), (std::vector<std::wstring>{L"7", L"3", L"4", L"5"})) << "levels 5 to 8 are not looked at";
    EXPECT_EQ(positions(), (std::vector<int>{7, 3, 4, 5}));

    // A letter in the third level: no meter changes, one error line.
    Levels({L"20", L"21", L"a", L"23", L"0", L"0", L"0", L"0"});
    EXPECT_EQ(captions(), (std::vector<std::wstring>{L"7", L"3", L"4", L"5"}));
    EXPECT_EQ(positions(), (std::vector<int>{7, 3, 4, 5}));
    std::vector<std::wstring> lines = Form1->Memo2->LinesList();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find(L":'a' is not a valid integer value"), std::wstring::npos) << Narrow(lines[1]);

    // An empty level and one outside the code page are errors too, in the 8-bit text.
    Levels({L"", L"1", L"1", L"1", L"0", L"0", L"0", L"0"});
    Levels({L"1", L"1", L"1", L"\u4E2D", L"0", L"0", L"0", L"0"});
    lines = Form1->Memo2->LinesList();
    ASSERT_EQ(lines.size(), 2u) << "the notice box keeps two lines";
    EXPECT_NE(lines[0].find(L":'' is not a valid integer value"), std::wstring::npos) << Narrow(lines[0]);
    EXPECT_NE(lines[1].find(L":'?' is not a valid integer value"), std::wstring::npos) << Narrow(lines[1]);
    EXPECT_EQ(captions(), (std::vector<std::wstring>{L"7", L"3", L"4", L"5"}));

    // The meters keep their values through a disconnection.
    Plug(L"M", L"S");
    Poll();
    Unplug();
    Poll();
    EXPECT_EQ(captions(), (std::vector<std::wstring>{L"7", L"3", L"4", L"5"}));
}

TEST_F(TestPage, ListeyiSilRestoresTheNoticeLinesAndTheCounter)
{
    Form1->CallCounter = 9;
    Form1->Label5->SetText(L"9");
    Form1->Memo2->Lines().Add(L"10:00:00:first");
    Form1->Memo2->Lines().Add(L"10:00:01:second");
    auto* item = dynamic_cast<TMenuItem*>(Form1->FindComponent(L"Listeyisil1"));
    ASSERT_NE(item, nullptr);
    item->Click();
    EXPECT_EQ(Form1->CallCounter, 0);
    EXPECT_EQ(Form1->Label5->Caption(), L"0");
    EXPECT_EQ(Form1->Memo2->LinesList(), kNoticeLines);
}
