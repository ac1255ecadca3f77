#pragma once

#include <windows.h>

class Exception;

namespace gui {
class MDIChildWindow;
}

// What a process window tells its frame, and the boxes it shows. The frame may be gone when the
// window is on its way out: nothing here throws for a missing frame, and a box is shown all the
// same.
class FrameLink {
public:
    // The window is not owned; the link is one of its members.
    explicit FrameLink(gui::MDIChildWindow& window);

    // The frame's window while it exists, else null.
    HWND Find();
    // Posts to the frame when there is one.
    void Post(UINT message, WPARAM wParam, LPARAM lParam);
    // Posts the window's state (wParam the window) only while it is the client's active child.
    void PostStateIfActive(UINT message, int state);
    // The frame decides what every command means, also those given while the child has the focus.
    void Forward(WPARAM wParam, LPARAM lParam);
    void CheckMenuItem(int commandId, bool checked);
    // Shows the failure in a box owned by the frame, else by the window, else by nobody; frees it.
    void ShowFailure(Exception* failure);
    // Shows a failure of a command in a box owned by owner and frees it; the program goes on.
    static void Report(HWND owner, Exception* failure);

private:
    gui::MDIChildWindow& window;  // not owned
};
