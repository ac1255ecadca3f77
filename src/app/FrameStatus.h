#pragma once

#include <windows.h>

#include <string>

class ProcessWindow;

namespace gui {
class StatusBarControl;
class ToolBarControl;
class Window;
}  // namespace gui

// What the frame shows of its active process window: the status bar's text and which of the
// commands that act on a process window are enabled, in menu and toolbar alike.
class FrameStatus {
public:
    // None is owned; all are the frame's and outlive this.
    FrameStatus(gui::Window& frame, gui::ToolBarControl& toolbar, gui::StatusBarControl& statusBar);

    // No process window: an empty status and no command that needs one.
    void ShowNone();
    // The active window (null for none) in state, a ProcessWindow::State; another value throws
    // before anything changes.
    void Show(ProcessWindow* active, int state);

private:
    void SetCommandEnabled(int commandId, bool enabled);
    static std::wstring Text(ProcessWindow* active, int state);

    gui::Window& frame;                // not owned
    gui::ToolBarControl& toolbar;      // not owned
    gui::StatusBarControl& statusBar;  // not owned
};
