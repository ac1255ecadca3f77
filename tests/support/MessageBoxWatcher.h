#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace testsupport {

struct MessageBoxInfo {
    bool found = false;
    std::wstring title;
    std::wstring text;
};

// Watches, on a thread of its own, for a message box (dialog class "#32770") of a process and
// closes it by pressing a button, recording its title and text. A test that makes a box appear
// starts a watcher first, so that the box never blocks the run.
class MessageBoxWatcher {
public:
    // processId 0 means this process. button: the command id to press (IDOK, IDYES, IDNO ...).
    explicit MessageBoxWatcher(DWORD processId = 0, int button = IDOK, DWORD timeoutMs = 20000);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // Waits until a box was closed or the time ran out, and returns what was seen.
    MessageBoxInfo Wait();

    // One look: the first visible top-level window of the class (a message box unless told) of
    // the process other than except, or null.
    static HWND FindBox(DWORD processId, const wchar_t* className = L"#32770", HWND except = nullptr);
    static MessageBoxInfo Read(HWND box);

private:
    void Watch(DWORD processId, int button, DWORD timeoutMs);

    MessageBoxInfo info;
    std::atomic<bool> cancel{false};
    std::thread watcher;
};

}  // namespace testsupport
