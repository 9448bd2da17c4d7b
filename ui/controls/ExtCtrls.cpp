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

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) { TTimerWindow::Hold(); }

TTimer::~TTimer()
{
    FEnabled = false;
    UpdateTimer();
    TTimerWindow::Release();
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
        TTimerWindow::Stop(FTimerId);
        FRunning = false;
    }
    if (FEnabled && FInterval > 0 && OnTimer && !IsLoading() && !IsDestroying()) {
        // A new identifier each start: a tick of the previous run cannot pass for this one.
        FTimerId = TTimerWindow::NewId();
        if (!TTimerWindow::Start(FTimerId, FInterval, this, [this] { Timer(); }))
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

// ---------------------------------------------------------------------------------------------
// TImage

namespace ui {

const TClassInfo& TImage::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TImage>(L"TImage", &TGraphicControl::StaticClass())
        .Property(L"AutoSize", &TImage::AutoSize, &TImage::SetAutoSize)
        .Property(L"Center", &TImage::Center, &TImage::SetCenter)
        .Custom(L"Picture", [](const TImage& i) { return i.FPicture->ToValue(); },
                [](TImage& i, const TValue& v) { i.FPicture->FromValue(v); })
        .Property(L"Proportional", &TImage::Proportional, &TImage::SetProportional)
        .Property(L"Stretch", &TImage::Stretch, &TImage::SetStretch)
        .Property(L"Transparent", &TImage::Transparent, &TImage::SetTransparent)
        .Build();
    return info;
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>())
{
    FPicture->OnChange = [this](TObject*) { PictureChanged(); };
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { FPicture->OnChange = nullptr; }

void TImage::PictureChanged()
{
    // Transparency belongs to the control; the picture draws by it.
    if (TGraphic* g = FPicture->Graphic(); g != nullptr && g->Transparent() != FTransparent)
        g->SetTransparent(FTransparent); // raises PictureChanged once more, now with nothing to do
    if (FAutoSize && !FPicture->Empty() && !IsLoading())
        SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
    Invalidate();
}

void TImage::Loaded()
{
    TGraphicControl::Loaded();
    PictureChanged();
}

void TImage::SetAutoSize(bool v)
{
    FAutoSize = v;
    PictureChanged();
}

void TImage::SetStretch(bool v)
{
    FStretch = v;
    Invalidate();
}

void TImage::SetProportional(bool v)
{
    FProportional = v;
    Invalidate();
}

void TImage::SetCenter(bool v)
{
    FCenter = v;
    Invalidate();
}

void TImage::SetTransparent(bool v)
{
    FTransparent = v;
    PictureChanged();
}

TRect TImage::DestRect() const
{
    int w = FPicture->Width(), h = FPicture->Height();
    int cw = Width(), ch = Height();
    if (w <= 0 || h <= 0)
        return Rect(0, 0, 0, 0);
    if (FStretch || (FProportional && (w > cw || h > ch))) {
        if (FProportional) {
            // Scale to fit the control, keeping the picture's shape.
            if (int64_t(cw) * h <= int64_t(ch) * w) {
                h = static_cast<int>(int64_t(h) * cw / w);
                w = cw;
            } else {
                w = static_cast<int>(int64_t(w) * ch / h);
                h = ch;
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    int x = 0, y = 0;
    if (FCenter) {
        x = (cw - w) / 2;
        y = (ch - h) / 2;
    }
    return Bounds(x, y, w, h);
}

void TImage::Paint()
{
    TGraphic* graphic = FPicture->Graphic();
    if (graphic == nullptr || graphic->Empty())
        return;
    Canvas().StretchDraw(DestRect(), *graphic);
}

} // namespace ui
