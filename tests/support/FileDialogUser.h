#pragma once

#include <windows.h>

#include <string>
#include <thread>

namespace testsupport {

// Plays the user of a file dialog on a thread of its own: waits for the dialog, types a path into
// its file name field and presses its OK button (or Cancel when the path is empty).
class DialogUser {
public:
    // confirm: a second box (the overwrite question) is expected after OK and answered with Yes.
    explicit DialogUser(std::wstring path, bool confirm = false)
        : path(std::move(path)), confirm(confirm), worker(&DialogUser::Run, this) {}
    ~DialogUser() { Wait(); }

    void Wait() {
        if (worker.joinable()) {
            worker.join();
        }
    }

    std::wstring title;
    std::wstring question;  // the text of the confirmed box

private:
    void Run();
    // Waits up to 20 s for a dialog box of this process other than except.
    static HWND Await(HWND except);
    void Answer(HWND dialog);

    std::wstring path;
    bool confirm;
    std::thread worker;
};

}  // namespace testsupport
