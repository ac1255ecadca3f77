#pragma once

#include <windows.h>

#include "gui/Window.h"

namespace gui {

// Base of child controls: a visible child window with a preferred height, an optional maximum
// width and a background colour for classes that the framework registers.
class WindowControl : public Window {
public:
    explicit WindowControl(const wchar_t* className);

    // Places the control with its width passed through GetWidth.
    void SetPosition(int x, int y, int width, int height, UINT flags) override;
    using Window::SetPosition;
    void OnRegisterClass(WNDCLASSEXW& description) override;
    void OnCreate() override;

    virtual void SetHeight(int value);
    virtual int GetHeight();
    virtual int GetWidth(int requested);

    void SetMaximumWidth(int value) { maximumWidth = value; }
    void SetBackgroundColour(int systemColour) { backgroundColour = systemColour; }
    // The child identifier handed to CreateWindowExW.
    void SetControlId(int id) { menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }
    int GetControlId() const { return static_cast<int>(reinterpret_cast<INT_PTR>(menuOrId)); }

protected:
    int maximumWidth;
    int height;
    int backgroundColour;
};

}  // namespace gui
