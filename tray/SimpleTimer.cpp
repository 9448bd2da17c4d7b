// A lightweight window timer that is not a component, ticking through the library's shared timer window.
#include "tray/SimpleTimer.h"

#include "ui/controls/Controls.h"

namespace tray {

namespace {

// How many simple timers there are: they hold the library's shared timer window.
int gSimpleTimers = 0;

} // namespace

TSimpleTimer::TSimpleTimer() : TSimpleTimer(1000, nullptr) {}

TSimpleTimer::TSimpleTimer(uint32_t interval, ui::TNotifyEvent onTimer)
    : FId(ui::TTimerWindow::NewId()), FInterval(interval), FOnTimer(std::move(onTimer))
{
    ui::TTimerWindow::Hold();
    ++gSimpleTimers;
}

TSimpleTimer::~TSimpleTimer()
{
    if (FEnabled) {
        Disarm();
        FEnabled = false;
    }
    --gSimpleTimers;
    ui::TTimerWindow::Release();
}

HWND TSimpleTimer::HandlerWindow() { return gSimpleTimers > 0 ? ui::TTimerWindow::Window() : nullptr; }

int TSimpleTimer::HandlerRefCount() { return gSimpleTimers; }

void TSimpleTimer::SetEnabled(bool value)
{
    if (value) {
        Arm();
    } else {
        Disarm();
        FEnabled = false;
    }
}

void TSimpleTimer::SetInterval(uint32_t value)
{
    if (value == FInterval)
        return;
    FInterval = value;
    if (FEnabled) {
        if (value != 0)
            Arm();
        else
            Disarm();
    }
}

void TSimpleTimer::SetOnTimer(ui::TNotifyEvent handler)
{
    FOnTimer = std::move(handler);
    if (!FOnTimer && FEnabled)
        Disarm();
}

bool TSimpleTimer::Arm()
{
    if (FInterval == 0)
        return false;
    if (FEnabled) {
        Disarm();
        FEnabled = false;
    }
    if (ui::TTimerWindow::Start(FId, FInterval, this, [this] { Tick(); }))
        FEnabled = true;
    return FEnabled;
}

void TSimpleTimer::Disarm() { ui::TTimerWindow::Stop(FId); }

void TSimpleTimer::Tick()
{
    if (FOneShot) {
        Disarm();
        FEnabled = false;
    }
    if (FOnTimer) {
        // The handler may destroy this timer (and with it FOnTimer); run a copy.
        ui::TNotifyEvent handler = FOnTimer;
        handler(this);
    }
}

} // namespace tray
