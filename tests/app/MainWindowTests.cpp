// The main window as the program builds it from its compiled description: its layout, its
// first show, the question gate, the guide links with their message boxes and windows, and the
// error log in the notice box.
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

#include <memory>
#include <regex>
#include <string>
#include <vector>

using namespace ui;
using testsupport::Narrow;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

template <class T>
T* Find(TComponent* owner, const wchar_t* name)
{
    auto* c = dynamic_cast<T*>(owner->FindComponent(name));
    EXPECT_NE(c, nullptr) << "no " << Narrow(name) << " of the expected class";
    return c;
}

// Position of a control within its parent's client area, from its window when it has one.
TRect PlaceInParent(TControl* c) { return Bounds(c->Left(), c->Top(), c->Width(), c->Height()); }

// What happened while a guide command ran: message boxes (through the test seam) and guide
// windows shown modally, in order.
struct TShown {
    std::vector<std::wstring> Steps;
    std::vector<std::wstring> Texts;
    std::vector<TMsgDlgType> Types;
    std::vector<TMsgDlgButtons> Buttons;
    std::vector<std::wstring> Captions;
};

const std::wstring kBoxA =
    L"İnternet bağlantısı olan hat varsa, mutlaka ADSL splitter kullanılır.\r\n"
    L"ADSL Splitter, modemle birlikte verilen bir \"cihazdır\".\r\n"
    L"\r\n"
    L"İnternet telefon hattı, caller ID cihazına doğrudan bağlanmaz.\r\n"
    L"ADSL splitter \"telefon\" çıkışından cihaz girişine ve telefona bağlantı yapılır. \r\n"
    L"ADSL splitter, sadece internet bağlantısı olan hat için kullanılır.";
const std::wstring kBoxB =
    L"Caller ID cihazları, santralin gönderdiği arayan numara bilgisini, bilgisayara aktarır. \r\n"
    L"Kabloya bağlı telefon makinesi üzerinde numara görünmüyorsa cihaz da numarayı gösteremez.\r\n"
    L" 444 1 444 nolu  Türk Telekom servisini aramak suretiyle telefon hattının numara gösterme özelliği açtırılabilir.";
const std::wstring kBoxC =
    L"Telefon kapalı ve zil çalmıyorsa, sinyal göstergeleri en fazla 0..2 civarında olmalıdır. \r\n"
    L"Daha yüksek ise sorun var demektir. İnternet hattında, ADSL Siplitter kullanılmamış  veya ters bağlı olabilir. \r\n"
    L"\r\n"
    L"Zil çalarken veya konuşma esnasında göstergelerin daha fazla yükselmesi,\r\n"
    L"telefon hattındaki elektriğin, cihaza ulaştığını gösterir. Normal bir durumdur.\r\n"
    L"Fakat mutlaka, \"Caller ID sinyali var\" anlamına GELMEZ ";

// The windows as they run, poll timer and all.
class MainWindowTest : public testsupport::TProgramWindows {
protected:
    static void SetUpTestSuite() { StartProgram(); }
    static void TearDownTestSuite() { StopProgram(); }

    void SetUp() override
    {
        // Every box is recorded and answered at once; a box nobody expected fails the test.
        SetMessageBoxHandler([this](const std::wstring& caption, const std::wstring& text, TMsgDlgType type,
                                    TMsgDlgButtons buttons) {
            Shown.Steps.push_back(L"box");
            Shown.Texts.push_back(text);
            Shown.Types.push_back(type);
            Shown.Buttons.push_back(buttons);
            Shown.Captions.push_back(caption);
            return mrOk;
        });
    }

    // Runs `command` while a timer watches for guide windows shown modally: each is recorded by
    // its name and closed by a posted click on its picture (at 0, 0 in every guide).
    void RunClosingGuides(const std::function<void()>& command)
    {
        TForm* current = nullptr;
        TTimer closer(nullptr);
        closer.SetInterval(20);
        closer.SetOnTimer([&](TObject*) {
            TForm* guides[] = {Form2, Form3, ADSlbag, Form6, splnedir};
            TForm* modal = nullptr;
            for (TForm* g : guides)
                if (g->IsModal() && g->Visible())
                    modal = g;
            if (modal != nullptr && modal != current) {
                Shown.Steps.push_back(modal->Name());
                PostMessageW(modal->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
                PostMessageW(modal->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            }
            current = modal;
        });
        command();
        TForm* guides[] = {Form2, Form3, ADSlbag, Form6, splnedir};
        for (TForm* g : guides)
            EXPECT_FALSE(g->Visible()) << Narrow(g->Name()) << " was closed again";
    }

    // A real click at the middle of a windowless control, through its parent's window.
    static void ClickOn(TControl* c)
    {
        int x = c->Left() + c->Width() / 2, y = c->Top() + c->Height() / 2;
        HWND parent = c->Parent()->Handle();
        SendMessageW(parent, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(parent, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    TShown Shown;
};

} // namespace

TEST_F(MainWindowTest, TheLayoutComesFromTheCompiledDescription)
{
    // The window.
    EXPECT_EQ(Form1->Caption(), L"Cihaz Test");
    EXPECT_EQ(Form1->PixelsPerInch(), 114);
    EXPECT_FALSE(Form1->Scaled());
    EXPECT_EQ(Form1->Font()->Name(), L"MS Sans Serif");
    EXPECT_EQ(Form1->Font()->Height(), -11);
    ASSERT_NE(Form1->Icon(), nullptr);
    EXPECT_FALSE(Form1->Icon()->Empty()) << "the window carries the program's icon";

    // Pages: four, in order, the third without a tab.
    TPageControl* pages = Form1->PageControl1;
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->Align(), TAlign::alClient);
    ASSERT_EQ(pages->PageCount(), 4);
    const wchar_t* captions[] = {L"Test", L"Bağlantı Kılavuzu !", L"Ayar", L"?"};
    TTabSheet* sheets[] = {Form1->TabSheet1, Form1->TabSheet2, Form1->TabSheet3, Form1->TabSheet4};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pages->Pages(i), sheets[i]) << "page " << i;
        EXPECT_EQ(pages->Pages(i)->Caption(), captions[i]) << "page " << i;
    }
    EXPECT_FALSE(Form1->TabSheet3->TabVisible()) << "the \"Ayar\" tab is hidden";
    EXPECT_EQ(pages->TabCount(), 3);
    EXPECT_EQ(Form1->TabSheet3->TabIndex(), -1);
    EXPECT_EQ(Form1->TabSheet4->TabIndex(), 2);

    // Captions whose blanks matter.
    EXPECT_EQ(Find<TGroupBox>(Form1, L"GroupBox2")->Caption(), L"     Cihaz Modeli - Bağlantı Durumu   ");
    EXPECT_EQ(Find<TGroupBox>(Form1, L"tek")->Caption(), L"  Sinyaller   ");
    EXPECT_EQ(Find<TGroupBox>(Form1, L"GroupBox1")->Caption(), L"  Yardım Konuları  ");
    EXPECT_EQ(Find<TLabel>(Form1, L"Label22")->Caption(), L"Çağrı sayısı : ");
    EXPECT_EQ(Find<TLabel>(Form1, L"Label13")->Caption(), L"Ayarlar otomatiktir. ");
    EXPECT_EQ(Find<TLabel>(Form1, L"Label12")->Caption(), L"İnternet hattı, cihaza böyle bağlanır >");
    EXPECT_EQ(Find<TLabel>(Form1, L"Label16")->Caption(), L"4 hatlı Cihaz Bağlantısı böyle yapılır >");
    EXPECT_EQ(Form1->tempMemo->LinesList(),
              (std::vector<std::wstring>{L"Cihaz ile ilgili başka program çalışıyorsa lütfen sonlandırınız.",
                                         L"Aynı anda, 1 uygulama cihaza  bağlantı sağlayabilir."}));
    EXPECT_FALSE(Form1->tempMemo->Visible());
    EXPECT_EQ(Form1->Edit1->Text(), L"??");
    EXPECT_TRUE(Form1->Memo2->ReadOnly());
    EXPECT_EQ(Form1->Memo2->ScrollBars(), TScrollStyle::ssVertical);

    // Fonts.
    TLabel* counterCaption = Find<TLabel>(Form1, L"Label22");
    EXPECT_EQ(counterCaption->Font()->Name(), L"Arial Narrow");
    EXPECT_EQ(counterCaption->Font()->Height(), -24);
    EXPECT_EQ(counterCaption->Font()->Charset(), TURKISH_CHARSET);
    EXPECT_TRUE(counterCaption->Font()->Style().Contains(TFontStyle::fsItalic));
    EXPECT_EQ(Form1->Label5->Font()->Height(), -24);
    EXPECT_EQ(Form1->Label9->Font()->Charset(), TURKISH_CHARSET);
    EXPECT_EQ(Form1->Label24->Font()->Height(), -13);
    EXPECT_EQ(Form1->Label25->Font()->Charset(), TURKISH_CHARSET);
    EXPECT_EQ(Form1->Memo2->Font()->Name(), L"Verdana");
    EXPECT_EQ(Find<TLabel>(Form1, L"Label7")->Font()->Height(), -13);
    EXPECT_EQ(Form1->Label1->Font()->Name(), L"Arial") << "the meter numbers take the signal box's font";

    // Links and thumbnails: blue Verdana with the hand cursor; the pictures are their own.
    for (const wchar_t* name : {L"Label21", L"Label17", L"Label16", L"Label12", L"Label19"}) {
        TLabel* link = Find<TLabel>(Form1, name);
        EXPECT_EQ(link->Font()->Name(), L"Verdana") << Narrow(name);
        EXPECT_EQ(link->Font()->Height(), -12) << Narrow(name);
        EXPECT_EQ(link->Font()->Color(), clBlue) << Narrow(name);
        EXPECT_EQ(link->Cursor(), crHandPoint) << Narrow(name);
    }
    EXPECT_TRUE(Find<TLabel>(Form1, L"Label19")->Font()->Style().Contains(TFontStyle::fsUnderline));
    const int thumbTops[] = {16, 95, 175, 255};
    const wchar_t* thumbs[] = {L"Image2", L"Image1", L"Image3", L"Image4"};
    for (int i = 0; i < 4; ++i) {
        TImage* image = Find<TImage>(Form1, thumbs[i]);
        EXPECT_EQ(PlaceInParent(image), Bounds(382, thumbTops[i], 96, 68)) << Narrow(thumbs[i]);
        EXPECT_EQ(image->Cursor(), crHandPoint) << Narrow(thumbs[i]);
        EXPECT_TRUE(image->Stretch() && image->Proportional() && image->Transparent()) << Narrow(thumbs[i]);
        ASSERT_NE(image->Picture().Graphic(), nullptr) << Narrow(thumbs[i]);
        EXPECT_EQ(image->Picture().Graphic()->Width(), 96) << Narrow(thumbs[i]);
        EXPECT_EQ(image->Picture().Graphic()->Height(), 68) << Narrow(thumbs[i]);
    }
    // The internet thumbnail differs from the device one in at least its middle pixel.
    auto middle = [](TImage* image) {
        auto* bitmap = dynamic_cast<TBitmap*>(image->Picture().Graphic());
        return bitmap != nullptr ? GetPixel(bitmap->Canvas().Handle(), 48, 34) : CLR_INVALID;
    };
    EXPECT_NE(middle(Find<TImage>(Form1, L"Image4")), middle(Find<TImage>(Form1, L"Image1")));

    // OK buttons.
    for (const wchar_t* name : {L"BitBtn1", L"BitBtn2", L"BitBtn3"}) {
        TBitBtn* button = Find<TBitBtn>(Form1, name);
        EXPECT_EQ(button->Kind(), TBitBtnKind::bkOK) << Narrow(name);
        EXPECT_EQ(button->Caption(), L"Tamam") << Narrow(name);
    }

    // Meters.
    TProgressBar* bars[] = {Form1->ProgressBar1, Form1->ProgressBar2, Form1->ProgressBar3, Form1->ProgressBar4};
    TLabel* numbers[] = {Form1->Label1, Form1->Label2, Form1->Label3, Form1->Label4};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bars[i]->Max(), 30);
        EXPECT_TRUE(bars[i]->Smooth());
        EXPECT_EQ(bars[i]->Step(), 1);
        EXPECT_EQ(PlaceInParent(bars[i]), Bounds(71, 40 + 24 * i, 99, 13));
        EXPECT_EQ(PlaceInParent(numbers[i]), Bounds(174, 40 + 24 * i, 25, 13)) << "fixed size";
        EXPECT_EQ(numbers[i]->Caption(), L"-");
    }

    // Non-visual parts and context menus.
    EXPECT_EQ(Form1->Timer1->Interval(), 500u);
    EXPECT_TRUE(Form1->Timer1->Enabled());
    ASSERT_NE(Form1->PopupMenu1, nullptr);
    ASSERT_EQ(Form1->PopupMenu1->Items()->Count(), 3);
    EXPECT_EQ(Form1->PopupMenu1->Items()->Items(0)->Name(), L"Listeyisil1");
    EXPECT_EQ(Form1->PopupMenu1->Items()->Items(0)->Caption(), L"Listeyi sil");
    EXPECT_EQ(Form1->PopupMenu1->Items()->Items(1)->Name(), L"Kayitlariac1");
    EXPECT_EQ(Form1->PopupMenu1->Items()->Items(2)->Name(), L"ki1");
    EXPECT_EQ(Form1->PopupMenu1->Items()->Items(2)->Caption(), L"Çıkış");
    for (TLabel* l : {Form1->Label9, Form1->Label24, Form1->Label25})
        EXPECT_EQ(l->PopupMenu(), Form1->PopupMenu1) << Narrow(l->Name());
    tray::TTrayIcon* tray = Form1->TrayIcon1;
    ASSERT_NE(tray, nullptr);
    EXPECT_TRUE(tray->IconVisible());
    EXPECT_EQ(tray->IconIndex(), 0);
    EXPECT_EQ(tray->CycleInterval(), 400u);
    EXPECT_TRUE(tray->WantEnterExitEvents());
    EXPECT_EQ(tray->PopupMenu(), Form1->PopupMenu1);
    ASSERT_NE(tray->Icon(), nullptr);
    EXPECT_FALSE(tray->Icon()->Empty()) << "the tray shows the window's icon";
    EXPECT_EQ(PlaceInParent(Form1->Dalvex1), Bounds(280, 80, 26, 26));
    EXPECT_EQ(Form1->Dalvex1->ControlData(), (std::vector<std::wstring>{L"AutoSize=True", L"Caption=Dalvex"}));
}

TEST_F(MainWindowTest, DockedControlsOfTheTestPageSitWhereTheyWereDesigned)
{
    Form1->PageControl1->SetActivePage(Form1->TabSheet1);
    TGroupBox* box = Form1->GroupBox4;
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->Align(), TAlign::alClient);
    EXPECT_EQ(box->Caption(), L"");

    // The top-docked controls stack from 2, 15 (inside the frame, below the caption band), each
    // as wide as the box's inside (530 as designed; the window frame's width varies with the
    // platform), the next right under the previous.
    int top = 15;
    int stacked = 0;
    for (int i = 0; i < box->ControlCount(); ++i) {
        TControl* c = box->Controls(i);
        if (c->Align() != TAlign::alTop)
            continue;
        EXPECT_EQ(c->Left(), 2) << Narrow(c->Name());
        EXPECT_EQ(c->Top(), top) << Narrow(c->Name());
        EXPECT_EQ(c->Width(), box->ClientWidth() - 4) << Narrow(c->Name());
        top += c->Height();
        ++stacked;
    }
    EXPECT_GE(stacked, 1);
    EXPECT_EQ(Form1->Memo2->Height(), 48);

    TControl* left = Find<TControl>(Form1, L"GroupBox2");
    TControl* right = Find<TControl>(Form1, L"tek");
    EXPECT_EQ(left->Align(), TAlign::alLeft);
    EXPECT_EQ(left->Left(), 2);
    EXPECT_EQ(left->Top(), top) << "the connection box starts under the notice box";
    EXPECT_EQ(left->Width(), 319);
    EXPECT_EQ(right->Align(), TAlign::alRight);
    EXPECT_EQ(right->Width(), 206);
    EXPECT_EQ(right->Left() + right->Width(), box->ClientWidth() - 2) << "the signal box ends at the right frame";
    EXPECT_EQ(right->Top(), top);
}

TEST_F(MainWindowTest, FirstShowStartsOnTheTestPageAndStartsTheControlHidden)
{
    // A window of its own, so that the first show can be watched from the start. The window as
    // stored was last designed on another page.
    TComponent owner(nullptr);
    auto* form = new TForm1(&owner);
    form->LoadDescription();
    EXPECT_EQ(form->PageControl1->ActivePage(), form->TabSheet2) << "designed on the guide page";
    auto sim = simtest::TestInterface(form->Dalvex1->OleObject());
    ASSERT_TRUE(sim);
    EXPECT_FALSE(simtest::Status(sim.Get()).Started);

    form->CallCounter = 41;
    form->Label5->SetText(L"7");
    form->Show();
    EXPECT_EQ(form->CallCounter, 0);
    EXPECT_EQ(form->Label5->Caption(), L"0");
    EXPECT_EQ(form->PageControl1->ActivePage(), form->TabSheet1);
    TDalvexSimStatus status = simtest::Status(sim.Get());
    EXPECT_TRUE(status.Started);
    EXPECT_FALSE(status.Visible) << "the control's own window is hidden";
    EXPECT_TRUE(form->AutoSize());

    // "Çıkış" closes the window.
    auto* exitItem = Find<TMenuItem>(form, L"ki1");
    ASSERT_NE(exitItem, nullptr);
    exitItem->Click();
    EXPECT_FALSE(form->Visible());
}

TEST_F(MainWindowTest, FirstShowHidesTheControlBeforeStartingItAndGoesOnWhenAStepFails)
{
    // A failing step is logged and the start-up goes on: a control that refuses to hide is
    // still started (and hidden by the next poll), and one that fails to start is started by
    // the next poll.
    TComponent owner(nullptr);
    auto* form = new TForm1(&owner);
    form->LoadDescription();
    form->Timer1->SetEnabled(false);
    auto sim = simtest::TestInterface(form->Dalvex1->OleObject());
    ASSERT_TRUE(sim);
    ASSERT_EQ(S_OK, sim->SimFailNextCall(E_ACCESSDENIED)); // whichever call comes first
    form->CallCounter = 3;
    form->Show();
    EXPECT_EQ(form->CallCounter, 0);
    EXPECT_EQ(form->PageControl1->ActivePage(), form->TabSheet1);
    TDalvexSimStatus status = simtest::Status(sim.Get());
    EXPECT_TRUE(status.Visible) << "the first call, the hide, was the one that failed";
    EXPECT_TRUE(status.Started) << "and Start came after it all the same";
    EXPECT_TRUE(form->AutoSize()) << "auto-size is the last step";
    std::vector<std::wstring> lines = form->Memo2->LinesList();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(L":" + simtest::SystemMessage(E_ACCESSDENIED)), std::wstring::npos)
        << Narrow(lines.back());
    form->Timer1Timer(form->Timer1);
    EXPECT_FALSE(simtest::Status(sim.Get()).Visible) << "the poll hid the control";
    delete form;

    form = new TForm1(&owner);
    form->LoadDescription();
    form->Timer1->SetEnabled(false);
    sim = simtest::TestInterface(form->Dalvex1->OleObject());
    TBStr script(L"at create fail Start 0x80070015");
    ASSERT_EQ(S_OK, sim->SimRunScript(script.Get(), nullptr));
    form->Show();
    EXPECT_FALSE(simtest::Status(sim.Get()).Started);
    lines = form->Memo2->LinesList();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(L":" + simtest::SystemMessage(0x80070015)), std::wstring::npos) << Narrow(lines.back());
    EXPECT_TRUE(form->AutoSize());
    form->Timer1Timer(form->Timer1);
    EXPECT_TRUE(simtest::Status(sim.Get()).Started) << "the poll started the control";
    EXPECT_EQ(form->Memo2->LinesList(), lines) << "and logged nothing more";
    form->Timer1Timer(form->Timer1);
    EXPECT_EQ(form->Memo2->LinesList(), lines);
    delete form;
}

// The error lines among those the notice box shows (it keeps its last two).
std::vector<std::wstring> LoggedLines(TForm1* form)
{
    std::vector<std::wstring> logged;
    for (const std::wstring& line : form->Memo2->LinesList())
        if (line.size() > 9 && iswdigit(line[0]) && line[2] == L':' && line[5] == L':' && line[8] == L':')
            logged.push_back(line.substr(9));
    return logged;
}

std::string Joined(const std::vector<std::wstring>& lines)
{
    std::string out;
    for (const std::wstring& l : lines)
        out += "\n  " + Narrow(l);
    return out;
}

TEST_F(MainWindowTest, AControlThatKeepsRefusingToHideOrStartIsLoggedOnceAndThePollGoesOn)
{
    // Every call of the step fails, as from a control that will never do it. The failure is
    // logged at the first show; the polls after it still ask for the model and show it.
    struct TCase {
        const wchar_t* Script;
        const wchar_t* Status;
        const wchar_t* Model;
    } cases[] = {
        {L"at create plug DLX-4 10004711\nat create fail Start 0x80070015 always", TForm1::StatusWaiting, L""},
        {L"at create plug DLX-4 10004711\nat create fail Visible 0x80070015 always", TForm1::StatusConnected,
         L"Cihaz modeli: DLX-4"},
    };
    for (const TCase& c : cases) {
        TComponent owner(nullptr);
        auto* form = new TForm1(&owner);
        form->LoadDescription();
        auto sim = simtest::TestInterface(form->Dalvex1->OleObject());
        ASSERT_TRUE(sim);
        TBStr script(c.Script);
        ASSERT_EQ(S_OK, sim->SimRunScript(script.Get(), nullptr));
        form->Show();
        EXPECT_TRUE(PumpUntil([&] { return form->Label9->Caption() == c.Status; }, 5000))
            << Narrow(c.Script) << ": the status reads " << Narrow(form->Label9->Caption());
        PumpFor(1600); // three polls more
        EXPECT_EQ(form->Label9->Caption(), c.Status) << Narrow(c.Script);
        EXPECT_EQ(form->Label24->Caption(), c.Model) << Narrow(c.Script);
        std::vector<std::wstring> logged = LoggedLines(form);
        EXPECT_EQ(logged, std::vector<std::wstring>{simtest::SystemMessage(0x80070015)})
            << Narrow(c.Script) << ": logged" << Joined(logged);
        delete form;
    }
}

TEST_F(MainWindowTest, AFailedStartUpStepIsTriedAgainABoundedNumberOfTimes)
{
    // Armed failures that each fail one Start: the first show takes one, each poll's try one
    // more. With one failure more than the polls try, the control is never started; with one
    // fewer, the last try starts it. Either way only the first failure is logged.
    for (int failures : {TForm1::PendingStepRetries + 1, TForm1::PendingStepRetries}) {
        TComponent owner(nullptr);
        auto* form = new TForm1(&owner);
        form->LoadDescription();
        form->Timer1->SetEnabled(false);
        auto sim = simtest::TestInterface(form->Dalvex1->OleObject());
        ASSERT_TRUE(sim);
        std::wstring text = L"at create plug DLX-4 10004711\n";
        for (int i = 0; i < failures; ++i)
            text += L"at create fail Start 0x80070015\n";
        TBStr script(text);
        ASSERT_EQ(S_OK, sim->SimRunScript(script.Get(), nullptr));
        form->Show();
        for (int poll = 0; poll < TForm1::PendingStepRetries + 5; ++poll)
            EXPECT_NO_THROW(form->Timer1Timer(form->Timer1)) << "poll " << poll;
        const bool startedAtLast = failures <= TForm1::PendingStepRetries;
        EXPECT_EQ(startedAtLast, simtest::Status(sim.Get()).Started != 0) << failures << " failures";
        EXPECT_EQ(form->Label9->Caption(), startedAtLast ? TForm1::StatusConnected : TForm1::StatusWaiting);
        std::vector<std::wstring> logged = LoggedLines(form);
        EXPECT_EQ(logged, std::vector<std::wstring>{simtest::SystemMessage(0x80070015)}) << "logged" << Joined(logged);
        delete form;
    }
}

TEST_F(MainWindowTest, AControlGoneBeforeTheFirstShowIsReportedOnce)
{
    TComponent owner(nullptr);
    auto* form = new TForm1(&owner);
    form->LoadDescription();
    form->Timer1->SetEnabled(false);
    auto sim = simtest::TestInterface(form->Dalvex1->OleObject());
    ASSERT_TRUE(sim);
    TBStr script(L"at create disconnect");
    ASSERT_EQ(S_OK, sim->SimRunScript(script.Get(), nullptr));
    sim.Reset();
    form->Show();
    const std::vector<std::wstring> once{L"The caller-ID device control is not available (" +
                                         simtest::SystemMessage(RPC_E_DISCONNECTED) + L")"};
    EXPECT_EQ(LoggedLines(form), once) << "logged" << Joined(LoggedLines(form));
    EXPECT_NO_THROW(form->Timer1Timer(form->Timer1));
    EXPECT_NO_THROW(form->Timer1Timer(form->Timer1));
    EXPECT_EQ(LoggedLines(form), once) << "the polls find no control and say nothing";
    EXPECT_EQ(form->Label9->Caption(), TForm1::StatusWaiting);
    delete form;
}

TEST_F(MainWindowTest, TheQuestionGateOpensTheControlsSettingsOnlyForTheRightAnswer)
{
    TPageControl* pages = Form1->PageControl1;
    auto sim = simtest::TestInterface(Form1->Dalvex1->OleObject());
    ASSERT_TRUE(sim);
    TBitBtn* ok = Find<TBitBtn>(Form1, L"BitBtn1");

    // A real click into the edit selects its whole text so that typing replaces it.
    pages->SetActivePage(Form1->TabSheet4);
    Form1->Edit1->SetText(L"??");
    HWND edit = Form1->Edit1->Handle();
    SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(edit, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(Form1->Edit1->SelStart(), 0);
    EXPECT_EQ(Form1->Edit1->SelLength(), 2);

    // Wrong answers (a near miss, a longer text, empty) reset the edit and go back to "Test".
    for (const wchar_t* wrong : {L"9", L"88", L"", L" 8"}) {
        pages->SetActivePage(Form1->TabSheet4);
        Form1->Edit1->SetText(wrong);
        ok->Click();
        EXPECT_EQ(Form1->Edit1->Text(), L"??") << Narrow(wrong);
        EXPECT_EQ(pages->ActivePage(), Form1->TabSheet1) << Narrow(wrong);
        EXPECT_EQ(nullptr, simtest::Status(sim.Get()).SettingsWindow) << Narrow(wrong);
    }

    // The right answer leaves the page and the edit as they are and opens the settings.
    pages->SetActivePage(Form1->TabSheet4);
    Form1->Edit1->SetText(L"8");
    SendMessageW(ok->Handle(), BM_CLICK, 0, 0);
    PumpFor(50);
    EXPECT_EQ(Form1->Edit1->Text(), L"8");
    EXPECT_EQ(pages->ActivePage(), Form1->TabSheet4);
    HWND settings = simtest::Status(sim.Get()).SettingsWindow;
    EXPECT_NE(nullptr, settings) << "ShowSettings was called";
    if (settings != nullptr)
        SendMessageW(settings, WM_CLOSE, 0, 0);

    // The OK buttons of the guide and hidden pages go back to "Test".
    for (auto [sheet, name] : {std::pair{Form1->TabSheet2, L"BitBtn3"}, std::pair{Form1->TabSheet3, L"BitBtn2"}}) {
        pages->SetActivePage(sheet);
        Find<TBitBtn>(Form1, name)->Click();
        EXPECT_EQ(pages->ActivePage(), Form1->TabSheet1) << Narrow(name);
    }
    EXPECT_FALSE(Form1->TabSheet3->TabVisible());
    EXPECT_TRUE(Shown.Steps.empty()) << "no message box";
}

TEST_F(MainWindowTest, EachDeviceLinkAndItsThumbnailShowTheSameGuide)
{
    Form1->PageControl1->SetActivePage(Form1->TabSheet2);
    struct TCase {
        const wchar_t* Link;
        const wchar_t* Thumb;
        const wchar_t* Guide;
    } cases[] = {{L"Label21", L"Image2", L"Form6"}, {L"Label17", L"Image1", L"Form2"}, {L"Label16", L"Image3", L"Form3"}};
    for (const TCase& c : cases) {
        for (const wchar_t* clicked : {c.Link, c.Thumb}) {
            Shown = {};
            RunClosingGuides([&] { ClickOn(Find<TControl>(Form1, clicked)); });
            EXPECT_EQ(Shown.Steps, std::vector<std::wstring>{c.Guide}) << Narrow(clicked);
        }
    }
}

TEST_F(MainWindowTest, TheInternetLinkShowsItsNoticeThenTheSplitterThenTheAdslGuide)
{
    Form1->PageControl1->SetActivePage(Form1->TabSheet2);
    for (const wchar_t* clicked : {L"Label12", L"Image4"}) {
        Shown = {};
        RunClosingGuides([&] { ClickOn(Find<TControl>(Form1, clicked)); });
        EXPECT_EQ(Shown.Steps, (std::vector<std::wstring>{L"box", L"splnedir", L"ADSlbag"})) << Narrow(clicked);
        ASSERT_EQ(Shown.Texts.size(), 1u);
        EXPECT_EQ(Shown.Texts[0], kBoxA);
        EXPECT_EQ(Shown.Types[0], TMsgDlgType::mtInformation);
        EXPECT_EQ(Shown.Buttons[0], TMsgDlgButtons{TMsgDlgBtn::mbOK});
        EXPECT_EQ(Shown.Captions[0], L"Information");
    }
}

TEST_F(MainWindowTest, ImportantNotesShowTheSecondBoxOnlyAfterTheFirstIsClosed)
{
    // The seam answers each box when it returns, so a second box recorded while the first is
    // still being answered would show up here as a nested call.
    int depth = 0, deepest = 0;
    std::vector<std::wstring> texts;
    std::vector<TMsgDlgType> types;
    std::vector<std::wstring> captions;
    SetMessageBoxHandler([&](const std::wstring& caption, const std::wstring& text, TMsgDlgType type, TMsgDlgButtons) {
        deepest = std::max(deepest, ++depth);
        texts.push_back(text);
        types.push_back(type);
        captions.push_back(caption);
        PumpFor(30); // the box's own loop: nothing else may appear meanwhile
        EXPECT_EQ(texts.size(), types.size());
        --depth;
        return mrOk;
    });
    Form1->PageControl1->SetActivePage(Form1->TabSheet2);
    RunClosingGuides([&] { ClickOn(Find<TControl>(Form1, L"Label19")); });
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(texts[0], kBoxB);
    EXPECT_EQ(types[0], TMsgDlgType::mtInformation);
    EXPECT_EQ(captions[0], L"Information");
    EXPECT_EQ(texts[1], kBoxC);
    EXPECT_EQ(types[1], TMsgDlgType::mtWarning);
    EXPECT_EQ(captions[1], L"Warning");
    EXPECT_TRUE(Shown.Steps.empty()) << "no guide window";
}

TEST_F(MainWindowTest, ErrorsReachingTheLoopAreLoggedAndTheNoticeBoxKeepsTwoLines)
{
    auto raiseFromTimer = [](const std::wstring& text) {
        bool fired = false;
        TTimer failing(nullptr);
        failing.SetInterval(10);
        failing.SetOnTimer([&](TObject*) {
            failing.SetEnabled(false);
            fired = true;
            StrToInt(text);
        });
        EXPECT_TRUE(PumpUntil([&] { return fired; }));
    };

    Form1->Memo2->SetText(Form1->tempMemo->Text());
    ASSERT_EQ(Form1->Memo2->Lines().Count(), 2);
    raiseFromTimer(L"x");
    std::vector<std::wstring> lines = Form1->Memo2->LinesList();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], L"Aynı anda, 1 uygulama cihaza  bağlantı sağlayabilir.");
    EXPECT_TRUE(std::regex_match(Narrow(lines[1]), std::regex("[0-9]{2}:[0-9]{2}:[0-9]{2}:'x' is not a valid integer value")))
        << Narrow(lines[1]);

    raiseFromTimer(L"y");
    raiseFromTimer(L"z");
    lines = Form1->Memo2->LinesList();
    ASSERT_EQ(lines.size(), 2u) << "three errors leave the last two";
    EXPECT_NE(lines[0].find(L":'y' is not a valid integer value"), std::wstring::npos) << Narrow(lines[0]);
    EXPECT_NE(lines[1].find(L":'z' is not a valid integer value"), std::wstring::npos) << Narrow(lines[1]);
    EXPECT_TRUE(Shown.Steps.empty()) << "an error shows no dialog";

    // Whatever puts many lines into the box at once, the last two stay.
    Form1->Memo2->SetText(L"1\r\n2\r\n3\r\n4\r\n5\r\n");
    EXPECT_EQ(Form1->Memo2->LinesList(), (std::vector<std::wstring>{L"4", L"5"}));
}
