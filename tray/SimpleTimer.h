// A lightweight window timer that is not a component.
#pragma once

#include "ui/core/Classes.h"

#include <windows.h>

#include <cstdint>

namespace tray {

// A timer without an owner or stored properties. Simple timers tick through the hidden window
// that all timers of the thread share (ui::TTimerWindow), which exists while any timer does.
// A tick handler may destroy its own timer.
class TSimpleTimer : public ui::TObject {
public:
    TSimpleTimer();
    TSimpleTimer(uint32_t interval, ui::TNotifyEvent onTimer);
    ~TSimpleTimer() override;

    // Enabling arms the system timer; it stays disabled when the interval is 0 or the system
    // refuses a timer. Enabling a running timer restarts its period.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);

    // A new non-zero interval restarts a running timer; 0 stops it but keeps it Enabled, so the
    // next non-zero interval starts it again.
    uint32_t Interval() const { return FInterval; }
    void SetInterval(uint32_t value);

    // A one-shot timer disables itself at its first tick.
    bool OneShot() const { return FOneShot; }
    void SetOneShot(bool value) { FOneShot = value; }

    // Clearing the handler of an enabled timer stops the system timer but keeps it Enabled.
    const ui::TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(ui::TNotifyEvent handler);

    // The system timer identifier used with the shared window.
    UINT_PTR Id() const { return FId; }

    // The shared window and the number of simple timers (nullptr and 0 when there are none).
    static HWND HandlerWindow();
    static int HandlerRefCount();

private:
    bool Arm();
    void Disarm();
    void Tick();

    UINT_PTR FId = 0;
    bool FEnabled = false;
    uint32_t FInterval = 1000;
    bool FOneShot = false;
    ui::TNotifyEvent FOnTimer;
};

} // namespace tray
