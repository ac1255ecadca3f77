#pragma once

#include <cstdint>

#include "app/Application.h"

// An application with a Windows message loop, an accelerator table and an MDI client.
class WindowsApplication : public Application {
public:
    explicit WindowsApplication(const wchar_t* builtInName = L"Tarnwick");

    // Runs the program's one message loop; returns the wParam of the WM_QUIT that ended it.
    int MessageLoop();

    uint16_t acceleratorId;  // 0: no accelerator table
    void* mdiClient;         // HWND of the frame's MDI client, null until the frame stores it
    void* dialogWindow;      // HWND whose keys (Tab, Enter, Escape) the dialog manager handles, or null
};
