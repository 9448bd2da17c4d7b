// The simple timer: arming rules, one-shot ticks, and the shared window's life.
#include "tray/SimpleTimer.h"

#include "tests/support/TestSupport.h"
#include "ui/controls/Forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using testsupport::PumpFor;
using testsupport::PumpUntil;
using tray::TSimpleTimer;

namespace {

class SimpleTimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::Application->OnException = [this](ui::TObject* sender, ui::Exception& e) {
            Errors.push_back(testsupport::Narrow(e.Message()));
            ErrorSender = sender;
        };
        ASSERT_EQ(TSimpleTimer::HandlerRefCount(), 0) << "a timer of an earlier test is still alive";
    }
    void TearDown() override { ui::Application->OnException = nullptr; }

    std::vector<std::string> Errors;
    ui::TObject* ErrorSender = nullptr;
};

TEST_F(SimpleTimerTest, SharedWindowLivesFromFirstTimerToLast)
{
    EXPECT_EQ(TSimpleTimer::HandlerWindow(), nullptr);
    auto first = std::make_unique<TSimpleTimer>();
    HWND window = TSimpleTimer::HandlerWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindow(window));
    {
        TSimpleTimer second(50, nullptr);
        EXPECT_EQ(TSimpleTimer::HandlerWindow(), window) << "all timers share one window";
        EXPECT_EQ(TSimpleTimer::HandlerRefCount(), 2);
        EXPECT_NE(second.Id(), first->Id());
    }
    EXPECT_EQ(TSimpleTimer::HandlerRefCount(), 1);
    EXPECT_TRUE(IsWindow(window)) << "the window stays while a timer uses it";
    first.reset();
    EXPECT_EQ(TSimpleTimer::HandlerRefCount(), 0);
    EXPECT_EQ(TSimpleTimer::HandlerWindow(), nullptr);
    EXPECT_FALSE(IsWindow(window)) << "the last timer takes the window with it";

    TSimpleTimer again;
    EXPECT_NE(TSimpleTimer::HandlerWindow(), nullptr);
    EXPECT_TRUE(IsWindow(TSimpleTimer::HandlerWindow())) << "a new timer creates a fresh window";
    EXPECT_EQ(again.Interval(), 1000u);
    EXPECT_FALSE(again.Enabled());
    EXPECT_FALSE(again.OneShot());
}

TEST_F(SimpleTimerTest, ArmingRules)
{
    int ticks = 0;
    TSimpleTimer timer(0, [&](ui::TObject* sender) {
        EXPECT_EQ(sender, &timer);
        ++ticks;
    });
    timer.SetEnabled(true);
    EXPECT_FALSE(timer.Enabled()) << "an interval of 0 cannot be armed";

    timer.SetInterval(15);
    EXPECT_FALSE(timer.Enabled()) << "a new interval does not arm a disabled timer";
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; })) << "an armed timer ticks repeatedly";

    // Interval 0 stops the ticks but keeps Enabled; the next non-zero interval restarts it.
    timer.SetInterval(0);
    EXPECT_TRUE(timer.Enabled());
    PumpFor(30);
    ticks = 0;
    PumpFor(120);
    EXPECT_EQ(ticks, 0) << "interval 0 must stop the system timer";
    timer.SetInterval(15);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 1; })) << "a non-zero interval re-arms an enabled timer";

    // Clearing the handler stops it; setting one again does not re-arm it, enabling does.
    timer.SetOnTimer(nullptr);
    EXPECT_TRUE(timer.Enabled());
    int later = 0;
    timer.SetOnTimer([&](ui::TObject*) { ++later; });
    PumpFor(120);
    EXPECT_EQ(later, 0) << "setting a handler must not re-arm the timer";
    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return later >= 1; }));

    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Enabled());
    PumpFor(30);
    later = 0;
    PumpFor(120);
    EXPECT_EQ(later, 0) << "a disabled timer must not tick";
}

TEST_F(SimpleTimerTest, EnablingAgainAndChangingTheIntervalRestartThePeriod)
{
    // Each tick records how long after the latest restart it came. A timer that keeps its old
    // period ticks about 100 ms after a restart below; a restarted one never less than a full
    // period after it. Measured this way, a machine too busy to restart in time lets a tick
    // through but never makes one look early.
    uint32_t period = 400;
    DWORD restarted = GetTickCount();
    std::vector<DWORD> sinceRestart;
    TSimpleTimer timer(period, [&](ui::TObject*) { sinceRestart.push_back(GetTickCount() - restarted); });
    const DWORD slack = 20; // the system clock's and the timer's granularity
    auto restart = [&](const std::function<void()>& how) {
        how();
        restarted = GetTickCount();
    };
    restart([&] { timer.SetEnabled(true); });
    for (int i = 0; i < 6; ++i) {
        PumpFor(100);
        restart([&] { timer.SetEnabled(true); });
    }
    for (DWORD t : sinceRestart)
        EXPECT_GE(t + slack, period) << "enabling a running timer must restart its period";
    sinceRestart.clear();
    for (int i = 0; i < 6; ++i) {
        PumpFor(100);
        period = i % 2 ? 400 : 450;
        restart([&] { timer.SetInterval(period); });
    }
    for (DWORD t : sinceRestart)
        EXPECT_GE(t + slack, 400u) << "a changed interval must restart the period";
    sinceRestart.clear();
    restart([&] { timer.SetInterval(20); });
    EXPECT_TRUE(PumpUntil([&] { return !sinceRestart.empty(); }));
}

TEST_F(SimpleTimerTest, OneShotTicksOnceAndDisablesItself)
{
    int ticks = 0;
    TSimpleTimer timer(10, [&](ui::TObject*) {
        ++ticks;
        EXPECT_FALSE(timer.Enabled()) << "disabled before its handler runs";
    });
    timer.SetOneShot(true);
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks == 1; }));
    PumpFor(150);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(timer.Enabled());
}

TEST_F(SimpleTimerTest, HandlerMayDestroyItsTimerAndErrorsGoToTheApplication)
{
    auto* self = new TSimpleTimer(10, nullptr);
    bool ran = false;
    self->SetOnTimer([&](ui::TObject*) {
        ran = true;
        delete self;
    });
    self->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ran; }));
    EXPECT_EQ(TSimpleTimer::HandlerRefCount(), 0);
    EXPECT_EQ(TSimpleTimer::HandlerWindow(), nullptr);

    int ticks = 0;
    TSimpleTimer failing(10, [&](ui::TObject*) {
        ++ticks;
        throw ui::Exception(L"tick failed");
    });
    failing.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; })) << "a failing handler keeps its timer running";
    ASSERT_FALSE(Errors.empty());
    EXPECT_EQ(Errors.front(), "tick failed");
    EXPECT_EQ(ErrorSender, &failing);
}

} // namespace
