#pragma once

#include <cstdint>

#include "app/Application.h"

// An application with a Windows message loop, an accelerator table and an MDI client.
class WindowsApplication : public Application {
public:
    explicit WindowsApplication(const wchar_t* builtInName = L"Tarnwick");

    // Runs the program's one message loop; returns the wParam of the WM_QUIT that ended it.
    int MessageLoop();

    // Whether window is topLevel or one of its descendants (the keys it gets are topLevel's).
    static bool BelongsTo(const void* window, const void* topLevel);

    uint16_t acceleratorId;  // 0: no accelerator table
    void* mdiClient;         // HWND of the frame's MDI client, null until the frame stores it
    // HWND of the frame, stored by the frame when it is created. Accelerators and MDI keys are
    // translated only for messages of the frame and its descendants (with focus in an output view
    // Ctrl+S still reaches the frame; Ctrl+X in another top-level window never ends the program);
    // while it is null nothing is translated.
    void* mainWindow;
    // HWND of one more top-level window that wants dialog keys (Tab, Enter) through
    // IsDialogMessageW for itself and its descendants; null: none.
    void* dialogWindow;
};
