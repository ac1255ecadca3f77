#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Tells the user of a run that failed (ended by itself with an exit code other than 0, a crash
// too) while they looked elsewhere: the frame's taskbar button flashes until the frame is
// activated. Once per failure streak of a window: runs started again by the restart policy
// belong to the streak, a run started from outside begins a new one.
class FailureNotice {
public:
    // How the user is told: the frame and a line naming the process and how its run ended. The
    // default flashes the frame's taskbar button; tests replace it.
    using Notifier = std::function<void(HWND frame, const std::wstring& text)>;
    static Notifier notifier;
    // Sent to the frame by the default notifier, lParam the text: it may show it from its icon.
    static const UINT toldMessage = WM_APP + 0x311;

    // A run was started from outside (Start, a reload, the start order): a new streak begins.
    void NewStreak() { told = false; }
    // A run of child (a window of frame's MDI client) failed. Nothing is told a second time in a
    // streak, nor while the frame is in front with child active, nor when the registry value
    // "NotifyOnFailure" of the program's key is "0".
    void RunFailed(HWND frame, HWND child, const std::wstring& text);

private:
    static bool Enabled();
    static void Flash(HWND frame, const std::wstring& text);

    bool told = false;
};
