// Window timers as components.
#pragma once

#include "ui/core/Classes.h"

#include <windows.h>

namespace ui {

// A window timer: raises OnTimer every Interval milliseconds while Enabled. The timer runs only
// when it has a handler and a positive interval; it is started once its description is read.
class TTimer : public TComponent {
    UI_PUBLISHED_CLASS
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned v);
    // True while a Windows timer is actually running for this component.
    bool Running() const { return FRunning; }

    TNotifyEvent OnTimer;
    // Sets the handler from code and starts the timer when it can run.
    void SetOnTimer(TNotifyEvent handler);

protected:
    virtual void Timer();
    void Loaded() override;

private:
    void UpdateTimer();

    HWND FWindow = nullptr;
    bool FEnabled = true;
    unsigned FInterval = 1000;
    bool FRunning = false;
};

} // namespace ui
