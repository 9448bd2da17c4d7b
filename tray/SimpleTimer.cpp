// A lightweight window timer that is not a component, and the hidden window all of them share.
#include "tray/SimpleTimer.h"

#include "ui/controls/Controls.h"

#include <map>

namespace tray {

// The hidden window that receives WM_TIMER for every simple timer. Timers are found by their
// identifier in a table rather than by casting the identifier back to a pointer, so that a tick
// still queued for a timer that has just been destroyed finds nothing instead of freed memory.
class TSimpleTimerHandler {
public:
    static TSimpleTimerHandler* Instance() { return FInstance; }

    static TSimpleTimerHandler& Acquire(TSimpleTimer* timer)
    {
        if (FInstance == nullptr)
            FInstance = new TSimpleTimerHandler();
        FInstance->FTimers[timer->FId] = timer;
        return *FInstance;
    }

    static void Release(TSimpleTimer* timer)
    {
        if (FInstance == nullptr)
            return;
        FInstance->FTimers.erase(timer->FId);
        if (FInstance->FTimers.empty()) {
            delete FInstance;
            FInstance = nullptr;
        }
    }

    HWND Window() const { return FWindow; }
    int RefCount() const { return static_cast<int>(FTimers.size()); }

private:
    TSimpleTimerHandler()
    {
        FWindow = ui::AllocateHWnd([this](ui::TMessage& message) { return HandleMessage(message); });
    }
    ~TSimpleTimerHandler() { ui::DeallocateHWnd(FWindow); }

    bool HandleMessage(ui::TMessage& message)
    {
        if (message.Msg != WM_TIMER)
            return false;
        auto found = FTimers.find(message.WParam);
        if (found != FTimers.end()) {
            TSimpleTimer* timer = found->second;
            // A failing handler must not stop the ticks of the other timers.
            ui::GuardedCall(timer, [timer] { timer->Tick(); });
        }
        return true;
    }

    static inline TSimpleTimerHandler* FInstance = nullptr;
    static inline UINT_PTR FNextId = 1;
    HWND FWindow = nullptr;
    std::map<UINT_PTR, TSimpleTimer*> FTimers;

    friend class TSimpleTimer;
    static UINT_PTR NextId() { return FNextId++; }
};

TSimpleTimer::TSimpleTimer() : TSimpleTimer(1000, nullptr) {}

TSimpleTimer::TSimpleTimer(uint32_t interval, ui::TNotifyEvent onTimer)
    : FId(TSimpleTimerHandler::NextId()), FInterval(interval), FOnTimer(std::move(onTimer))
{
    TSimpleTimerHandler::Acquire(this);
}

TSimpleTimer::~TSimpleTimer()
{
    if (FEnabled) {
        Disarm();
        FEnabled = false;
    }
    TSimpleTimerHandler::Release(this);
}

HWND TSimpleTimer::HandlerWindow()
{
    TSimpleTimerHandler* handler = TSimpleTimerHandler::Instance();
    return handler != nullptr ? handler->Window() : nullptr;
}

int TSimpleTimer::HandlerRefCount()
{
    TSimpleTimerHandler* handler = TSimpleTimerHandler::Instance();
    return handler != nullptr ? handler->RefCount() : 0;
}

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
    TSimpleTimerHandler* handler = TSimpleTimerHandler::Instance();
    if (handler != nullptr && SetTimer(handler->Window(), FId, FInterval, nullptr) != 0)
        FEnabled = true;
    return FEnabled;
}

void TSimpleTimer::Disarm()
{
    if (TSimpleTimerHandler* handler = TSimpleTimerHandler::Instance())
        KillTimer(handler->Window(), FId);
}

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
