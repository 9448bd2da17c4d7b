// Small controls shared by the grid units.
#include "grid/popups/ControlsCommon.h"

#include "ui/core/ClassBuilder.h"
#include "ui/core/ScopeGuard.h"

#include <windows.h>

#include <algorithm>

namespace grid {

ui::TRect PlacePopup(ui::TPoint wanted, int width, int height, const ui::TRect& workArea,
                     std::optional<int> flipBottom)
{
    int x = wanted.x, y = wanted.y;
    if (flipBottom && y + height > workArea.bottom) {
        int roomBelow = workArea.bottom - y, roomAbove = *flipBottom - workArea.top;
        if (height <= roomAbove || roomAbove > roomBelow)
            y = *flipBottom - height;
    }
    // Right and bottom first, so that a popup larger than the work area keeps its left and top
    // edges (and with them its title and first items) on the screen.
    x = std::max<int>(std::min<int>(x, workArea.right - width), workArea.left);
    y = std::max<int>(std::min<int>(y, workArea.bottom - height), workArea.top);
    return ui::Bounds(x, y, width, height);
}

ui::TRect WorkAreaOf(const ui::TRect& screenRect)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromRect(&screenRect, MONITOR_DEFAULTTONEAREST);
    if (monitor != nullptr && GetMonitorInfoW(monitor, &info))
        return info.rcWork;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

const ui::TClassInfo& THintWindow::StaticClass()
{
    static const ui::TClassInfo info =
        ui::TClassBuilder<THintWindow>(L"THintWindow", &TFlyoutControl::StaticClass()).Build();
    return info;
}

THintWindow::THintWindow(ui::TComponent* AOwner) : TFlyoutControl(AOwner)
{
    SetVisible(false);
    SetColor(clInfoBk);
}

void THintWindow::CreateParams(ui::TCreateParams& params)
{
    TFlyoutControl::CreateParams(params);
    params.Style |= WS_BORDER;
    params.ExStyle |= WS_EX_NOACTIVATE;
}

// Two pixels of margin on each side of the text and the one-pixel border.
constexpr int kHintChrome = 6;

ui::TRect THintWindow::CalcHintRect(int maxWidth, const std::wstring& text)
{
    // Measured on a screen context with the window's font, so no window is needed yet. The text
    // is wrapped at the width Paint will give it, so that no line is lost below the window.
    ui::TWindowDC screen(nullptr, ui::TWindowDC::waClient);
    ui::TSavedDC saved(screen);
    SelectObject(screen, Font()->Handle());
    const int textWidth = std::max(1, maxWidth - kHintChrome);
    RECT r{0, 0, textWidth, 0};
    DrawTextW(screen, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
    // A word longer than the line still gets no more than the width.
    return ui::Rect(0, 0, std::min<int>(r.right, textWidth) + kHintChrome, r.bottom + kHintChrome);
}

void THintWindow::ActivateHint(const ui::TRect& wanted, const std::wstring& text)
{
    FText = text;
    ui::TRect bounds = PlacePopup(ui::Point(wanted.left, wanted.top), ui::RectWidth(wanted), ui::RectHeight(wanted),
                                  WorkAreaOf(wanted));
    SetBounds(bounds.left, bounds.top, ui::RectWidth(bounds), ui::RectHeight(bounds));
    if (!Visible()) {
        SetVisible(true);
    }
    SetWindowPos(Handle(), HWND_TOPMOST, bounds.left, bounds.top, ui::RectWidth(bounds), ui::RectHeight(bounds),
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Invalidate();
}

void THintWindow::ReleaseHandleIfShown()
{
    if (Visible())
        SetVisible(false);
}

void THintWindow::WndProc(ui::TMessage& message)
{
    // The hint lies over the cell under the pointer: the mouse goes through it to the grid, which
    // would otherwise see the pointer leave, hide the hint and show it again on the next move.
    if (message.Msg == WM_NCHITTEST) {
        message.Result = HTTRANSPARENT;
        return;
    }
    TFlyoutControl::WndProc(message);
}

void THintWindow::Paint()
{
    ui::TCanvas& c = Canvas();
    ui::TRect r = ClientRect();
    c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
    c.Brush().SetColor(clInfoBk);
    c.FillRect(r);
    InflateRect(&r, -2, -2);
    c.Font().Assign(*Font());
    c.Font().SetColor(ui::clInfoText);
    c.Brush().SetStyle(ui::TBrushStyle::bsClear);
    c.DrawText(FText, r, DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
    c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
}

} // namespace grid
