#pragma once

#include <windows.h>

#include "gui/Window.h"

namespace gui {

// Base of the program's top-level windows: an overlapped window with the application's icon and
// name that ends the message loop when the user closes it.
class MainWindowBase : public Window {
public:
    explicit MainWindowBase(const wchar_t* className);
    ~MainWindowBase() override;

    void OnRegisterClass(WNDCLASSEXW& description) override;
    void OnCreate() override;
    int OnClose() override;

    // Loads a shared icon (never destroyed by the window) and sets it as big and small icon.
    void SetIcon(int resourceId);
    // Brush painted behind the windows of the class; takes effect when set before the class is
    // registered, which takes it over for good. A brush the class did not take stays owned here.
    void SetBackgroundBrush(HBRUSH brush);

    // The application's name, or its built-in name while no name is known.
    static const wchar_t* ApplicationName();

protected:
    HICON icon;         // owned; the shared application icon is not kept here
    HBRUSH background;  // owned until the class registration takes it
};

}  // namespace gui
