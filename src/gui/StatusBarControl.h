#pragma once

#include "gui/CommonControl.h"

namespace gui {

// A status bar with one part and a size grip; its owner writes the text and places it.
class StatusBarControl : public CommonControl {
public:
    StatusBarControl();
};

}  // namespace gui
