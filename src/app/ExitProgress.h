#pragma once

#include <windows.h>

#include <string>

// The small window that says how many runs are still ending while the program exits: a
// borderless box over the frame, updated as runs end, gone with Close or its owner.
class ExitProgress {
public:
    ExitProgress() = default;
    ~ExitProgress();
    ExitProgress(const ExitProgress&) = delete;
    ExitProgress& operator=(const ExitProgress&) = delete;

    // Shows the count (making the window on first use, centred on owner).
    void Show(HWND owner, int ending);
    void Close();
    HWND GetHandle() const { return window; }

    // "Stopping 3 processes..."; one is "Stopping 1 process...".
    static std::wstring Text(int ending);

private:
    HWND window = nullptr;
};
