#pragma once

class ProcessWindow;

namespace gui {
class MDIClientWindow;
}

// The frame's commands that act on the active process window (Save, Log to screen, Clear, Find,
// Start, Stop, Restart) or on the arrangement of the process windows (Cascade, the tilings, the
// next, previous and numbered windows).
class WindowCommands {
public:
    // Carries out command; false when it is none of these. Without an active window the commands
    // for it do nothing.
    static bool Run(int command, ProcessWindow* active, gui::MDIClientWindow& client);

private:
    static void RunOnActive(int command, ProcessWindow& active);
    static bool Arrange(int command, gui::MDIClientWindow& client);
};
