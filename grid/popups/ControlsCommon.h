// Small controls shared by the grid units: the hint window that shows a cell's hint, and where a
// popup window goes on the screen.
#pragma once

#include "grid/view/FlyoutControl.h"
#include "grid/common/GridCommon.h"

#include <optional>
#include <string>

namespace grid {

// Where a popup of width x height goes so that all of it is on the screen: its top-left corner at
// `wanted` when that fits inside `workArea`. A drop-down passes the top edge of what it drops from
// as `flipBottom`: with no room below, it opens above, its bottom on that edge (on whichever side
// has more room when neither fits). Then it is moved left and up as far as needed, but never past
// the work area's left or top edge. Plain geometry, so it is tested without a window.
ui::TRect PlacePopup(ui::TPoint wanted, int width, int height, const ui::TRect& workArea,
                     std::optional<int> flipBottom = std::nullopt);
// The work area (the screen less the task bar) of the monitor that `screenRect` lies most on.
ui::TRect WorkAreaOf(const ui::TRect& screenRect);

// A top-most tip window with a text on the info-background colour, sized to its text.
class THintWindow : public TFlyoutControl {
    UI_PUBLISHED_CLASS
public:
    explicit THintWindow(ui::TComponent* AOwner);
    // The size the text needs with a 2-pixel margin and a frame, wrapped so that the whole window
    // is at most maxWidth pixels wide: the text is measured for the width it will be shown in.
    ui::TRect CalcHintRect(int maxWidth, const std::wstring& text);
    // Shows the window at `wanted` (screen coordinates, moved inside the monitor's work area when
    // it would stick out) with `text`, without taking focus.
    void ActivateHint(const ui::TRect& wanted, const std::wstring& text);
    void ReleaseHandleIfShown();
    const std::wstring& HintText() const { return FText; }

protected:
    void CreateParams(ui::TCreateParams& params) override;
    void Paint() override;
    void WndProc(ui::TMessage& message) override;

private:
    std::wstring FText;
};

} // namespace grid
