#pragma once

#include "gui/WindowControl.h"

namespace gui {

// A static text control, 15 pixels high.
class StaticControl : public WindowControl {
public:
    explicit StaticControl(const wchar_t* className = L"StaticControl");
};

}  // namespace gui
