// Small controls shared by the grid units: the hint window that shows a cell's hint.
#pragma once

#include "grid/popups/FlyoutControl.h"
#include "grid/common/GridCommon.h"

#include <string>

namespace grid {

// A top-most tip window with a text on the info-background colour, sized to its text.
class THintWindow : public TFlyoutControl {
    UI_PUBLISHED_CLASS
public:
    explicit THintWindow(ui::TComponent* AOwner);
    // The size the text needs, wrapped at maxWidth pixels, with a 2-pixel margin and a frame.
    ui::TRect CalcHintRect(int maxWidth, const std::wstring& text);
    // Shows the window at `bounds` (screen coordinates) with `text`, without taking focus.
    void ActivateHint(const ui::TRect& bounds, const std::wstring& text);
    void ReleaseHandleIfShown();
    const std::wstring& HintText() const { return FText; }

protected:
    void CreateParams(ui::TCreateParams& params) override;
    void Paint() override;

private:
    std::wstring FText;
};

} // namespace grid
