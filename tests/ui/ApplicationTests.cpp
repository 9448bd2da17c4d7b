// The application object, windows, timers and error handling, driven by real messages.
#include "ui/controls/ExtCtrls.h"
#include "ui/controls/Forms.h"
#include "ui/core/ClassBuilder.h"
#include "ui/core/Description.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <windowsx.h>

#include <memory>
#include <string>
#include <vector>

using namespace ui;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

constexpr UINT WM_TEST_THROW = WM_APP + 1;

// A window whose message handler fails on request, like a handler with a bug.
class TFaultyControl : public TWinControl {
public:
    explicit TFaultyControl(TComponent* owner) : TWinControl(owner) {}
    int Handled = 0;
    void WndProc(TMessage& message) override
    {
        if (message.Msg == WM_TEST_THROW) {
            ++Handled;
            throw EConvertError(L"'x' is not a valid integer value");
        }
        TWinControl::WndProc(message);
    }
};

// A windowless child that counts its clicks.
class TSpot : public TControl {
public:
    explicit TSpot(TComponent* owner) : TControl(owner) {}
};

struct TErrorLog {
    std::vector<std::wstring> Messages;
    std::vector<TObject*> Senders;
};

// Installs an application-wide error hook for one test.
class ApplicationTest : public testing::Test {
protected:
    void SetUp() override
    {
        Application->Initialize();
        Owner = std::make_unique<TComponent>(nullptr);
        Events = new TApplicationEvents(Owner.get());
        Events->OnException = [this](TObject* sender, Exception& e) {
            Log.Messages.push_back(e.Message());
            Log.Senders.push_back(sender);
        };
    }
    void TearDown() override { Owner.reset(); }

    std::unique_ptr<TComponent> Owner;
    TApplicationEvents* Events = nullptr;
    TErrorLog Log;
};

TForm* NewForm(TComponent* owner, int width = 300, int height = 200)
{
    auto* form = new TForm(owner);
    form->SetBounds(10, 10, width, height);
    return form;
}

} // namespace

TEST_F(ApplicationTest, ErrorInATimerTickReachesTheHookAndTheTimerGoesOn)
{
    auto* timer = new TTimer(Owner.get());
    int ticks = 0;
    timer->SetInterval(20);
    timer->SetOnTimer([&](TObject*) {
        ++ticks;
        throw EIntOverflow();
    });
    ASSERT_TRUE(timer->Running());
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; })) << "the timer stopped after its first error";
    ASSERT_GE(Log.Messages.size(), 3u);
    EXPECT_EQ(Log.Messages[0], L"Integer overflow");
    timer->SetEnabled(false);
    int stopped = ticks;
    PumpFor(100);
    EXPECT_EQ(ticks, stopped) << "a disabled timer does not tick";
}

TEST_F(ApplicationTest, TimersShareOneWindowAndADestroyedTimerNeverTicks)
{
    auto countWindows = [] {
        struct TCounter {
            static BOOL CALLBACK Count(HWND, LPARAM p) { return ++*reinterpret_cast<int*>(p) > 0; }
        };
        int count = 0;
        EnumThreadWindows(GetCurrentThreadId(), &TCounter::Count, reinterpret_cast<LPARAM>(&count));
        return count;
    };
    const int before = countWindows();
    int firstTicks = 0, secondTicks = 0, secondTicksWhenDestroyed = -1;
    auto* second = new TTimer(nullptr);
    second->SetInterval(10);
    second->SetOnTimer([&](TObject*) { ++secondTicks; });
    // The first destroys the second from its own tick, while the second is due as well.
    auto* first = new TTimer(Owner.get());
    first->SetInterval(10);
    first->SetOnTimer([&](TObject*) {
        if (++firstTicks == 3) {
            secondTicksWhenDestroyed = secondTicks;
            delete second;
        }
    });
    auto* third = new TTimer(Owner.get());
    third->SetOnTimer([](TObject*) {});
    EXPECT_EQ(countWindows(), before + 1) << "three running timers, one window";
    ASSERT_TRUE(PumpUntil([&] { return firstTicks >= 6; }));
    EXPECT_EQ(secondTicks, secondTicksWhenDestroyed) << "no tick reached the destroyed timer";
    EXPECT_TRUE(Log.Messages.empty());
    delete first;
    delete third;
    EXPECT_EQ(countWindows(), before) << "the window goes with the last timer";
}

TEST_F(ApplicationTest, OnShowRunsBeforeTheWindowAppearsAndCannotKeepItFromAppearing)
{
    TForm* form = NewForm(Owner.get());
    bool visibleDuringOnShow = true;
    form->OnShow = [&](TObject*) {
        visibleDuringOnShow = IsWindowVisible(form->Handle()) != FALSE;
        throw EConvertError(L"'y' is not a valid integer value");
    };
    form->Show();
    EXPECT_FALSE(visibleDuringOnShow) << "what OnShow changes is laid out before the first paint";
    EXPECT_TRUE(IsWindowVisible(form->Handle())) << "a failing OnShow does not keep the window hidden";
    ASSERT_EQ(Log.Messages.size(), 1u);
    EXPECT_EQ(Log.Senders[0], form);

    TForm* other = NewForm(Owner.get());
    other->OnShow = [&](TObject*) { other->Hide(); };
    other->Show();
    EXPECT_FALSE(other->Visible());
    EXPECT_FALSE(IsWindowVisible(other->Handle())) << "a handler that hides the window has the last word";
}

TEST_F(ApplicationTest, ErrorInAWindowsMessageHandlerReachesTheHookAndTheWindowLivesOn)
{
    TForm* form = NewForm(Owner.get());
    auto* faulty = new TFaultyControl(Owner.get());
    faulty->SetBounds(5, 5, 50, 50);
    faulty->SetParent(form);
    form->Show();
    ASSERT_TRUE(faulty->HandleAllocated()) << "children get windows with their parent";
    SendMessageW(faulty->Handle(), WM_TEST_THROW, 0, 0);
    PostMessageW(faulty->Handle(), WM_TEST_THROW, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Log.Messages.size() == 2; }));
    EXPECT_EQ(Log.Messages[0], L"'x' is not a valid integer value");
    EXPECT_EQ(Log.Senders[0], faulty) << "the sender is the control whose handler failed";
    EXPECT_TRUE(IsWindow(faulty->Handle()));
    SetWindowTextW(faulty->Handle(), L"still working");
    wchar_t text[32] = {};
    GetWindowTextW(faulty->Handle(), text, 32);
    EXPECT_STREQ(text, L"still working");
}

TEST_F(ApplicationTest, WithoutAHookAnErrorGoesToTheApplicationsOwnHandler)
{
    Owner.reset(); // removes the TApplicationEvents
    std::wstring seen;
    Application->OnException = [&](TObject*, Exception& e) { seen = e.Message(); };
    try {
        throw std::runtime_error("plain failure");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    Application->OnException = nullptr;
    EXPECT_EQ(seen, L"plain failure") << "errors that are not ours are wrapped, not lost";
    Owner = std::make_unique<TComponent>(nullptr);
}

TEST_F(ApplicationTest, ShowModalRunsANestedLoopInWhichOtherTimersKeepTicking)
{
    TForm* mainForm = NewForm(Owner.get());
    mainForm->Show();
    TForm* guide = NewForm(Owner.get(), 200, 150);
    auto* poll = new TTimer(Owner.get());
    int polls = 0;
    int pollsWhileModal = 0;
    poll->SetInterval(15);
    poll->SetOnTimer([&](TObject*) {
        ++polls;
        if (guide->IsModal())
            ++pollsWhileModal;
    });
    bool mainDisabledDuringModal = false;
    // The guide closes once the poll has ticked a few times inside its loop, or after a
    // generous deadline on a machine too slow for that (the expectation below then fails).
    DWORD modalStart = 0;
    auto* closer = new TTimer(Owner.get());
    closer->SetInterval(20);
    closer->SetOnTimer([&](TObject*) {
        if (!guide->IsModal())
            return;
        if (modalStart == 0)
            modalStart = GetTickCount();
        if (pollsWhileModal < 3 && GetTickCount() - modalStart < 10000)
            return;
        closer->SetEnabled(false);
        mainDisabledDuringModal = !IsWindowEnabled(mainForm->Handle());
        EXPECT_TRUE(IsWindowVisible(guide->Handle()));
        guide->Close();
    });
    int shows = 0;
    guide->OnShow = [&](TObject*) { ++shows; };
    TModalResult result = guide->ShowModal();
    EXPECT_EQ(result, mrCancel);
    EXPECT_GE(pollsWhileModal, 3) << "the main window's timer kept polling during the modal loop";
    EXPECT_TRUE(mainDisabledDuringModal) << "other windows take no input while a modal window is open";
    EXPECT_TRUE(IsWindowEnabled(mainForm->Handle())) << "and are enabled again afterwards";
    EXPECT_FALSE(guide->Visible());
    EXPECT_FALSE(IsWindowVisible(guide->Handle()));
    EXPECT_EQ(shows, 1);
    // The same window can be shown again.
    pollsWhileModal = 0;
    modalStart = 0;
    closer->SetEnabled(true);
    EXPECT_EQ(guide->ShowModal(), mrCancel);
    EXPECT_EQ(shows, 2);
    EXPECT_THROW({
        guide->Show();
        guide->ShowModal();
    }, EInvalidOperation) << "a visible window cannot become modal";
}

TEST_F(ApplicationTest, DockedChildrenShareTheClientAreaInOrder)
{
    TForm* form = NewForm(Owner.get(), 400, 300);
    form->SetClientWidth(300);
    form->SetClientHeight(200);
    auto makeChild = [&](TAlign align, int w, int h) {
        auto* c = new TSpot(Owner.get());
        c->SetBounds(0, 0, w, h);
        c->SetAlign(align);
        c->SetParent(form);
        return c;
    };
    TSpot* top = makeChild(TAlign::alTop, 10, 30);
    TSpot* left = makeChild(TAlign::alLeft, 40, 10);
    TSpot* right = makeChild(TAlign::alRight, 50, 10);
    TSpot* fill = makeChild(TAlign::alClient, 1, 1);
    form->Show();
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(top->BoundsRect(), Bounds(0, 0, 300, 30));
    EXPECT_EQ(left->BoundsRect(), Bounds(0, 30, 40, 170));
    EXPECT_EQ(right->BoundsRect(), Bounds(250, 30, 50, 170));
    EXPECT_EQ(fill->BoundsRect(), Bounds(40, 30, 210, 170));
    right->Hide();
    EXPECT_EQ(fill->BoundsRect(), Bounds(40, 30, 260, 170)) << "hiding a docked child gives its room away";
}

TEST_F(ApplicationTest, MouseMessagesReachTheWindowlessChildUnderThePointer)
{
    TForm* form = NewForm(Owner.get());
    auto* spot = new TSpot(Owner.get());
    spot->SetBounds(20, 30, 40, 20);
    spot->SetParent(form);
    int spotClicks = 0, formClicks = 0;
    TPoint spotDown{-1, -1};
    spot->OnClick = [&](TObject*) { ++spotClicks; };
    spot->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { spotDown = {x, y}; };
    form->OnClick = [&](TObject*) { ++formClicks; };
    form->Show();
    HWND wnd = form->Handle();
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 35));
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(26, 36));
    EXPECT_EQ(spotClicks, 1);
    EXPECT_EQ(spotDown, (TPoint{5, 5})) << "coordinates are the child's own";
    EXPECT_EQ(formClicks, 0);
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 150));
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(150, 150));
    EXPECT_EQ(formClicks, 1) << "a click on the empty area is the window's own";
    // Pressing on the child and releasing outside it is no click.
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 35));
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(150, 150));
    EXPECT_EQ(spotClicks, 1);
    EXPECT_EQ(formClicks, 1);
}

TEST_F(ApplicationTest, DestroyingAWindowReleasesItsWindowsAndTimers)
{
    std::vector<HWND> windows;
    int ticks = 0;
    {
        TComponent owner(nullptr);
        TForm* form = NewForm(&owner);
        auto* child = new TFaultyControl(&owner);
        child->SetBounds(0, 0, 10, 10);
        child->SetParent(form);
        auto* timer = new TTimer(&owner);
        timer->SetInterval(10);
        timer->SetOnTimer([&](TObject*) { ++ticks; });
        form->Show();
        windows = {form->Handle(), child->Handle()};
        ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }));
    }
    for (HWND wnd : windows)
        EXPECT_FALSE(IsWindow(wnd)) << "a destroyed component leaves no window behind";
    int after = ticks;
    PumpFor(60);
    EXPECT_EQ(ticks, after) << "a destroyed timer never ticks again";
}

TEST_F(ApplicationTest, AFormIsBuiltFromItsDescriptionWithItsHandlers)
{
    TForm* form = NewForm(Owner.get());
    ReadDescription(*form,
                    L"object Probe: TForm\n  Caption = 'Cihaz Test'\n  Width = 560\n  Height = 443\n"
                    L"  Position = poScreenCenter\n  FormStyle = fsStayOnTop\nend\n",
                    L"Probe");
    form->Show();
    wchar_t text[64] = {};
    GetWindowTextW(form->Handle(), text, 64);
    EXPECT_STREQ(text, L"Cihaz Test");
    RECT r;
    GetWindowRect(form->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 560);
    EXPECT_EQ(r.bottom - r.top, 443);
    TRect work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(r.left - work.left, (RectWidth(work) - 560) / 2, 1) << "centred on the screen";
    EXPECT_TRUE(GetWindowLongW(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), Application->Handle())
        << "windows belong to the application window, which carries the taskbar button";
}

TEST_F(ApplicationTest, WhileAModalWindowRunsTheStayOnTopWindowsGiveUpTheirFlagUntilTheLastOneCloses)
{
    auto topMost = [](TForm* form) { return (GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    TForm* mainForm = NewForm(Owner.get());
    mainForm->SetFormStyle(TFormStyle::fsStayOnTop);
    mainForm->Show();
    ASSERT_TRUE(topMost(mainForm));

    TForm* guide = NewForm(Owner.get(), 200, 150);
    TForm* late = NewForm(Owner.get());
    bool liftedWhileModal = false, guideAbove = false, lateWaited = false, liftedAfterNested = false;
    auto* closer = new TTimer(Owner.get());
    closer->SetInterval(20);
    closer->SetOnTimer([&](TObject*) {
        if (!guide->IsModal())
            return;
        closer->SetEnabled(false);
        liftedWhileModal = !topMost(mainForm);
        for (HWND wnd = GetWindow(mainForm->Handle(), GW_HWNDPREV); wnd != nullptr; wnd = GetWindow(wnd, GW_HWNDPREV))
            guideAbove = guideAbove || wnd == guide->Handle();
        {
            // A message box from inside the guide: nested, it must not restore the flags early.
            TTopMostsNormalized nested;
            late->SetFormStyle(TFormStyle::fsStayOnTop);
            late->Show();
            lateWaited = !topMost(late);
        }
        liftedAfterNested = !topMost(mainForm);
        guide->Close();
    });
    EXPECT_EQ(guide->ShowModal(), mrCancel);
    EXPECT_TRUE(liftedWhileModal) << "the main window gave up its flag during the modal loop";
    EXPECT_TRUE(guideAbove) << "the modal window was above the main window";
    EXPECT_TRUE(lateWaited) << "a stay-on-top window shown meanwhile waits for its flag";
    EXPECT_TRUE(liftedAfterNested) << "a nested box closing leaves the flag lifted for the guide";
    EXPECT_TRUE(topMost(mainForm)) << "the main window is topmost again once the guide has closed";
    EXPECT_TRUE(topMost(late)) << "and so is the window that waited";
}
