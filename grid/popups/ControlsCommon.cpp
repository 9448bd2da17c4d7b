// Small controls shared by the grid units.
#include "grid/popups/ControlsCommon.h"

#include "ui/core/ClassBuilder.h"

namespace grid {

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

ui::TRect THintWindow::CalcHintRect(int maxWidth, const std::wstring& text)
{
    // Measured on a screen context with the window's font, so no window is needed yet.
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, Font()->Handle());
    RECT r{0, 0, maxWidth, 0};
    DrawTextW(screen, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    // Two pixels of margin on each side and the one-pixel border.
    return ui::Rect(0, 0, r.right + 6, r.bottom + 6);
}

void THintWindow::ActivateHint(const ui::TRect& bounds, const std::wstring& text)
{
    FText = text;
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
