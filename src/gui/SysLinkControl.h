#pragma once

#include <windows.h>

#include "gui/CommonControl.h"

namespace gui {

// A text with links (common controls version 6, which the program's manifest asks for).
class SysLinkControl : public CommonControl {
public:
    SysLinkControl();

    // For the owner's OnNotify: opens the URL of this control's first link when it is clicked or
    // activated with Enter. Returns 1 when it acted, else 0.
    int HandleNotify(LPARAM notification);
};

}  // namespace gui
