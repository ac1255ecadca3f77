#pragma once

#include <windows.h>

#include "gui/WindowControl.h"

namespace gui {

// A single-line edit field in a fixed-pitch font.
class EditControl : public WindowControl {
public:
    explicit EditControl(const wchar_t* className = L"EditControl");
    ~EditControl() override;

    void OnCreate() override;

protected:
    HFONT editFont;  // owned
};

}  // namespace gui
