#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

// The frame's place in the notification area while it is minimised there (View > "Minimize to
// tray", remembered as the registry value "MinimizeToTray"): the frame is hidden and an icon
// stands for it, whose tooltip counts the running processes and whose menu starts and stops
// them. The icon goes when the frame is shown again or the program ends, and comes back when
// the taskbar is made anew (after a crash of the shell).
class FrameTray {
public:
    // The icon's messages to the frame (lParam: the mouse message).
    static const UINT callbackMessage = WM_APP + 0x310;
    // The menu's own commands; those of each process follow, three per process.
    static const int showCommand = 41001;
    static const int firstProcessCommand = 41100;
    // Shell_NotifyIconW; tests replace it.
    using Shell = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
    static Shell shell;

    FrameTray();

    bool IsEnabled() const { return enabled; }
    // Turns the option on or off and remembers it.
    void SetEnabled(bool flag);
    bool IsShown() const { return shown; }
    // The frame was minimised: with the option on it is hidden and the icon shown.
    void Minimized(HWND frame, HICON icon, const std::wstring& tip);
    void SetTip(const std::wstring& tip);
    // A notification from the icon, while it is shown (a failed run, say).
    void Balloon(const std::wstring& text);
    // The frame is shown again, or goes: the icon goes.
    void Remove();
    // The icon's messages and the shell's "TaskbarCreated"; true when message was one of them.
    // A click shows the frame; the right button asks for the menu through wantsMenu.
    bool Handle(HWND frame, UINT message, LPARAM lParam, bool& wantsMenu);
    // The menu for these process titles: Show Tarnwick, a submenu per process (Start, Stop,
    // Restart), Start All, Stop All and Exit. The caller destroys it.
    static HMENU BuildMenu(const std::vector<std::wstring>& titles);
    // For a command of a process submenu: the process's index and its Start, Stop or Restart
    // command; false for any other command.
    static bool ProcessCommandOf(int command, size_t& index, int& processCommand);

private:
    bool Notify(DWORD action);
    static bool ReadSetting();

    bool enabled;
    bool shown;
    NOTIFYICONDATAW data;
    const UINT taskbarCreated;
};
