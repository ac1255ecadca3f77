#pragma once

#include "gui/BitmapControl.h"

namespace gui {

// A static control that shows an icon resource.
class IconControl : public BitmapControl {
public:
    explicit IconControl(int resourceId = -1);
};

}  // namespace gui
