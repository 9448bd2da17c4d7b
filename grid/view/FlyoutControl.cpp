// Small top-most popup windows of the grid suite.
#include "grid/view/FlyoutControl.h"

#include "ui/core/ClassBuilder.h"

namespace grid {

const ui::TClassInfo& TFlyoutControl::StaticClass()
{
    static const ui::TClassInfo info =
        ui::TClassBuilder<TFlyoutControl>(L"TFlyoutControl", &ui::TCustomControl::StaticClass()).Build();
    return info;
}

TFlyoutControl::TFlyoutControl(ui::TComponent* AOwner) : ui::TCustomControl(AOwner) {}

void TFlyoutControl::CreateParams(ui::TCreateParams& params)
{
    ui::TCustomControl::CreateParams(params);
    params.Style &= ~static_cast<DWORD>(WS_CHILD | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    params.Style |= WS_POPUP;
    params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    params.ClassStyle |= CS_SAVEBITS;
    // Owned by the window of the control it belongs to, so it goes when that window goes.
    if (Parent() != nullptr)
        params.WndParent = Parent()->Handle();
}

void TFlyoutControl::WndProc(ui::TMessage& message)
{
    if (message.Msg == WM_ERASEBKGND) {
        message.Result = 1;
        return;
    }
    ui::TCustomControl::WndProc(message);
}

} // namespace grid
