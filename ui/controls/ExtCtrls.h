// Window timers as components, and pictures on a window (TImage).
#pragma once

#include "ui/controls/Controls.h"
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

    UINT_PTR FTimerId = 0;
    bool FEnabled = true;
    unsigned FInterval = 1000;
    bool FRunning = false;
};

// A picture on a window, without a window of its own. The picture is drawn at its size, or
// stretched, kept in proportion, or centred; a transparent bitmap leaves out its bottom-left
// pixel's colour. With AutoSize the control takes the picture's size.
class TImage : public TGraphicControl {
    UI_PUBLISHED_CLASS
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;

    TPicture& Picture() { return *FPicture; }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool v);
    bool Proportional() const { return FProportional; }
    void SetProportional(bool v);
    bool Center() const { return FCenter; }
    void SetCenter(bool v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);

    // Where the picture is drawn within the control.
    TRect DestRect() const;

protected:
    void Paint() override;
    void Loaded() override;

private:
    void PictureChanged();
    std::unique_ptr<TPicture> FPicture;
    bool FAutoSize = false;
    bool FStretch = false;
    bool FProportional = false;
    bool FCenter = false;
    bool FTransparent = false;
};

} // namespace ui
