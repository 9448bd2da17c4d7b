// Window timers as components.
#include "ui/controls/ExtCtrls.h"

#include "ui/controls/Controls.h"
#include "ui/core/ClassBuilder.h"
#include "ui/core/SysUtils.h"

namespace ui {

const TClassInfo& TTimer::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TTimer>(L"TTimer", &TComponent::StaticClass())
        .Property(L"Enabled", &TTimer::Enabled, &TTimer::SetEnabled)
        .Property(L"Interval", &TTimer::Interval, &TTimer::SetInterval)
        .Event(L"OnTimer", &TTimer::OnTimer)
        .Build();
    return info;
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner)
{
    FWindow = AllocateHWnd([this](TMessage& message) {
        if (message.Msg != WM_TIMER)
            return false;
        // The handler may disable or destroy other timers; this one stays valid for the call.
        if (FEnabled && FRunning)
            Timer();
        return true;
    });
}

TTimer::~TTimer()
{
    FEnabled = false;
    UpdateTimer();
    DeallocateHWnd(FWindow);
}

void TTimer::SetEnabled(bool v)
{
    if (v == FEnabled)
        return;
    FEnabled = v;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned v)
{
    if (v == FInterval)
        return;
    FInterval = v;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler)
{
    OnTimer = std::move(handler);
    UpdateTimer();
}

void TTimer::Loaded()
{
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::UpdateTimer()
{
    if (FRunning) {
        KillTimer(FWindow, 1);
        FRunning = false;
    }
    if (FEnabled && FInterval > 0 && OnTimer && !IsLoading() && !IsDestroying()) {
        if (SetTimer(FWindow, 1, FInterval, nullptr) == 0)
            throw EInvalidOperation(L"Not enough timers available");
        FRunning = true;
    }
}

void TTimer::Timer()
{
    if (OnTimer)
        OnTimer(this);
}

} // namespace ui
