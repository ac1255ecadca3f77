#include "gui/FileDialogs.h"

#include <windows.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "GuiTestSupport.h"
#include "support/MessageBoxWatcher.h"
#include "support/ScratchDirectory.h"

namespace {

// Plays the user of a file dialog on a thread of its own: waits for the dialog, types a path into
// its file name field and presses its OK button (or Cancel when the path is empty).
class DialogUser {
public:
    explicit DialogUser(std::wstring path) : path(std::move(path)) {
        worker = std::thread(&DialogUser::Run, this);
    }
    ~DialogUser() { Wait(); }

    void Wait() {
        if (worker.joinable()) {
            worker.join();
        }
    }

    std::wstring title;

private:
    void Run() {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 20000) {
            HWND dialog = testsupport::MessageBoxWatcher::FindBox(GetCurrentProcessId());
            if (dialog) {
                Sleep(300);  // let the dialog fill its folder view
                title = guitest::TextOf(dialog);
                Answer(dialog);
                return;
            }
            Sleep(50);
        }
    }

    void Answer(HWND dialog) {
        if (path.empty()) {
            SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
            return;
        }
        // The file name field: an edit control, or the edit inside the combo box of newer dialogs.
        HWND field = GetDlgItem(dialog, edt1);
        HWND combo = GetDlgItem(dialog, cmb13);
        if (!field && combo) {
            field = FindWindowExW(combo, nullptr, L"Edit", nullptr);
            if (!field) {
                field = combo;
            }
        }
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    }

    std::wstring path;
    std::thread worker;
};

// Shows a dialog with a user answering it with the typed path; returns the dialog's result.
int RunDialog(bool save, HWND owner, const std::wstring& typed, String& chosen, std::wstring* title = nullptr) {
    DialogUser user(typed);
    int result = save ? gui::ShowSaveFileDialog(owner, chosen) : gui::ShowOpenFileDialog(owner, chosen);
    user.Wait();
    if (title) {
        *title = user.title;
    }
    return result;
}

TEST(FileDialogs, OpenReturnsTheTypedPathOfAnExistingFileAndCancelLeavesThePathAlone) {
    testsupport::ScratchDirectory scratch;
    std::wstring file = scratch.Write(L"processes.tnkx", "<processes/>");
    String chosen(L"before");
    EXPECT_EQ(0, RunDialog(false, nullptr, L"", chosen));
    EXPECT_STREQ(L"before", chosen.GetBuffer());
    std::wstring title;
    EXPECT_EQ(1, RunDialog(false, nullptr, file, chosen, &title));
    EXPECT_EQ(file, std::wstring(chosen.GetBuffer()));
    EXPECT_EQ(L"Load Configuration File", title);
}

TEST(FileDialogs, SaveAddsTheTxtExtensionAndTakesAnExistingFileWithoutAPrompt) {
    testsupport::ScratchDirectory scratch;
    guitest::HostWindow owner;
    owner.Open(200, 100);
    std::wstring existing = scratch.Write(L"saved.txt", "old contents");
    // An overwrite prompt would be a second dialog that nobody answers: the call would hang.
    struct Case {
        HWND owner;
        std::wstring typed;
        std::wstring expected;
    };
    for (const Case& c : {Case{owner.GetHandle(), scratch.File(L"output"), scratch.File(L"output.txt")},
                          Case{nullptr, existing, existing}}) {
        SCOPED_TRACE(std::string(c.typed.begin(), c.typed.end()));
        String chosen;
        EXPECT_EQ(1, RunDialog(true, c.owner, c.typed, chosen));
        EXPECT_EQ(c.expected, std::wstring(chosen.GetBuffer()));
    }
}

}  // namespace
