#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// The built Tarnwick.exe started on a configuration and driven from outside, as a user would:
// windows found by class and caption, commands sent as window messages, text read back with
// WM_GETTEXT. The destructor ends the program (and, through it, its children) if it still runs.
class TarnwickSession {
public:
    // arguments follow the program name on the command line; waits until the frame is there.
    explicit TarnwickSession(const std::wstring& arguments, DWORD waitMs = 30000);
    // The same for another copy of the program, such as one unpacked from the release archive.
    TarnwickSession(const std::wstring& program, const std::wstring& arguments, DWORD waitMs);
    ~TarnwickSession();
    TarnwickSession(const TarnwickSession&) = delete;
    TarnwickSession& operator=(const TarnwickSession&) = delete;

    HWND Frame() const { return frame; }
    DWORD ProcessId() const { return processId; }
    HANDLE ProcessHandle() const { return process; }
    HWND Client() const { return FindWindowExW(frame, nullptr, L"MDIClient", nullptr); }
    HWND StatusBar() const { return FindWindowExW(frame, nullptr, L"msctls_statusbar32", nullptr); }
    HWND ToolBar() const { return FindWindowExW(frame, nullptr, L"ToolbarWindow32", nullptr); }

    // MDI children in z-order, and one by caption (null when there is none).
    std::vector<HWND> Children() const;
    HWND Child(const std::wstring& caption) const;
    // The output view inside a process window.
    static HWND ViewOf(HWND child) { return GetWindow(child, GW_CHILD); }
    static std::wstring Text(HWND window);
    std::wstring ViewText(const std::wstring& caption) const;

    // Waits until the caption's window exists and its view contains part.
    bool WaitForOutput(const std::wstring& caption, const std::wstring& part, DWORD waitMs = 20000) const;
    // Waits until the status bar's text equals text.
    bool WaitForStatus(const std::wstring& text, DWORD waitMs = 10000) const;

    // A command as the menu gives it (posted: the program may answer with a box).
    void Command(int id) const { PostMessageW(frame, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    // Waits for the program to end; its exit code, or STILL_ACTIVE on timeout.
    DWORD WaitForExit(DWORD waitMs = 20000);

private:
    HANDLE process = nullptr;
    DWORD processId = 0;
    HWND frame = nullptr;
};

// Polls condition every 20 ms until it holds or waitMs passed.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD waitMs) {
    ULONGLONG end = GetTickCount64() + waitMs;
    while (!condition()) {
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

}  // namespace testsupport
