#include "gui/FileDialogs.h"

#include <windows.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <atomic>
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
    ~DialogUser() {
        if (worker.joinable()) {
            worker.join();
        }
    }

    std::wstring title;
    std::atomic<bool> found{false};

private:
    void Run() {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 20000) {
            HWND dialog = testsupport::MessageBoxWatcher::FindBox(GetCurrentProcessId());
            if (dialog) {
                Sleep(300);  // let the dialog fill its folder view
                wchar_t text[256] = L"";
                GetWindowTextW(dialog, text, 256);
                title = text;
                found = true;
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

TEST(OpenFileDialog, ReturnsTheTypedPathOfAnExistingFile) {
    testsupport::ScratchDirectory scratch;
    std::wstring file = scratch.Write(L"processes.tnkx", "<processes/>");
    String chosen(L"before");
    int result;
    std::wstring title;
    {
        DialogUser user(file);
        result = gui::ShowOpenFileDialog(nullptr, chosen);
        title = user.title;
    }
    EXPECT_EQ(1, result);
    EXPECT_EQ(file, std::wstring(chosen.GetBuffer()));
    EXPECT_EQ(L"Load Configuration File", title);
}

TEST(OpenFileDialog, CancelLeavesThePathAlone) {
    String chosen(L"before");
    int result;
    {
        DialogUser user(L"");
        result = gui::ShowOpenFileDialog(nullptr, chosen);
    }
    EXPECT_EQ(0, result);
    EXPECT_STREQ(L"before", chosen.GetBuffer());
}

TEST(SaveFileDialog, AddsTheTxtExtensionToATypedName) {
    testsupport::ScratchDirectory scratch;
    guitest::HostWindow owner;
    owner.Open(200, 100);
    String chosen;
    int result;
    {
        DialogUser user(scratch.File(L"output"));
        result = gui::ShowSaveFileDialog(owner.GetHandle(), chosen);
    }
    EXPECT_EQ(1, result);
    EXPECT_EQ(scratch.File(L"output.txt"), std::wstring(chosen.GetBuffer()));
}

TEST(SaveFileDialog, ExistingFileIsChosenWithoutAPrompt) {
    testsupport::ScratchDirectory scratch;
    std::wstring file = scratch.Write(L"saved.txt", "old contents");
    String chosen;
    int result;
    {
        DialogUser user(file);
        result = gui::ShowSaveFileDialog(nullptr, chosen);
    }
    // An overwrite prompt would be a second dialog that nobody answers: the call would hang.
    EXPECT_EQ(1, result);
    EXPECT_EQ(file, std::wstring(chosen.GetBuffer()));
}

}  // namespace
