// The grid control with its published properties and events, as stored descriptions see it.
#pragma once

#include "grid/control/CustomGridViewControl.h"

namespace grid {

// Publishes the grid's stored properties and events; the cells themselves are left to the
// class above it. Registers the row-number column class so descriptions can create it.
class TCustomGridView : public TCustomGridViewControl {
    UI_PUBLISHED_CLASS
public:
    explicit TCustomGridView(ui::TComponent* AOwner);
};

} // namespace grid
