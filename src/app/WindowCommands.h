#pragma once

#include <functional>
#include <vector>

class ProcessWindow;

namespace gui {
class MDIClientWindow;
}

// The frame's commands that act on the active process window (Save, Log to screen, Clear, Find,
// Start, Stop, Restart), on every process window (Start All, Stop All, Restart All) or on the arrangement of the process windows (Cascade, the tilings, the
// next, previous and numbered windows).
class WindowCommands {
public:
    // Carries out command; false when it is none of these. Without an active window the commands
    // for it do nothing.
    static bool Run(int command, ProcessWindow* active, gui::MDIClientWindow& client);
    // Start All, Stop All or Restart All on the windows that current lists; false for any other
    // command. A failure box shown for one window runs a message loop, in which others may go:
    // each is looked for in current again before it is acted on.
    static bool RunOnAll(int command, const std::function<std::vector<ProcessWindow*>()>& current);

private:
    static void RunOnActive(int command, ProcessWindow& active);
    static bool Arrange(int command, gui::MDIClientWindow& client);
};
