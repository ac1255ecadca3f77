#pragma once

#include <windows.h>

// The icons a process window shows for its state (running, stopped, stopping), and for a stop
// after a run that failed. They are the
// system's shared copies of the program's icon resources: each is loaded the first time it is
// needed and never destroyed.
class StateIcons {
public:
    StateIcons();

    // The icon for a ProcessWindow::State value, or null for any other value. Throws when the
    // resource cannot be loaded.
    HICON For(HINSTANCE instance, int state);
    // Stopped after a run that ended by itself with an exit code other than 0.
    HICON Failed(HINSTANCE instance);

private:
    static HICON Load(HINSTANCE instance, int resourceId);

    HICON running;
    HICON stopped;
    HICON stopping;
    HICON failed;
};
