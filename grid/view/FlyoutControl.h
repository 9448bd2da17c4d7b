// Small top-most popup windows of the grid suite (auto-scroll marker, column drag box).
#pragma once

#include "ui/controls/Controls.h"

namespace grid {

// A popup (not a child) that stays on top, has no task-bar button, saves the screen bits under
// it and never erases its background.
class TFlyoutControl : public ui::TCustomControl {
    UI_PUBLISHED_CLASS
public:
    explicit TFlyoutControl(ui::TComponent* AOwner);
    void WndProc(ui::TMessage& message) override;

protected:
    void CreateParams(ui::TCreateParams& params) override;
    bool CreatedWithParent() const override { return false; }
};

} // namespace grid
