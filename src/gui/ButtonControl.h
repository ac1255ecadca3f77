#pragma once

#include <windows.h>

#include "gui/WindowControl.h"

namespace gui {

// A button; its owner chooses the kind (push, default, radio ...) with AddStyle before Create.
class ButtonControl : public WindowControl {
public:
    explicit ButtonControl(const wchar_t* className = L"ButtonControl");
    ~ButtonControl() override;

    // A font for the button (owned from here on), sent to it once it exists.
    void SetButtonFont(HFONT value);

protected:
    HFONT buttonFont;  // owned
};

}  // namespace gui
