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
    // confirm: a second box (the overwrite question) is expected after OK and answered with Yes.
    explicit DialogUser(std::wstring path, bool confirm = false) : path(std::move(path)), confirm(confirm) {
        worker = std::thread(&DialogUser::Run, this);
    }
    ~DialogUser() { Wait(); }

    void Wait() {
        if (worker.joinable()) {
            worker.join();
        }
    }

    std::wstring title;
    std::wstring question;  // the text of the confirmed box

private:
    void Run() {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 20000) {
            HWND dialog = testsupport::MessageBoxWatcher::FindBox(GetCurrentProcessId());
            if (dialog) {
                Sleep(300);  // let the dialog fill its folder view
                title = guitest::TextOf(dialog);
                Answer(dialog);
                if (confirm) {
                    Confirm(dialog);
                }
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
        // Posted: the click may open a question box, and a sent click would wait for its answer.
        PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    }

    struct BoxSearch {
        HWND dialog;
        HWND found;
    };

    static BOOL CALLBACK FindOtherBox(HWND window, LPARAM parameter) {
        BoxSearch* search = reinterpret_cast<BoxSearch*>(parameter);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (window != search->dialog && owner == GetCurrentProcessId() && IsWindowVisible(window) &&
            guitest::ClassOf(window) == L"#32770") {
            search->found = window;
            return FALSE;
        }
        return TRUE;
    }

    void Confirm(HWND dialog) {
        for (int attempt = 0; attempt < 200; ++attempt) {
            Sleep(50);
            BoxSearch search = {dialog, nullptr};
            EnumWindows(FindOtherBox, reinterpret_cast<LPARAM>(&search));
            if (search.found) {
                question = testsupport::MessageBoxWatcher::Read(search.found).text;
                PostMessageW(GetDlgItem(search.found, IDYES), BM_CLICK, 0, 0);
                return;
            }
        }
    }

    std::wstring path;
    bool confirm;
    std::thread worker;
};

std::wstring CurrentDirectory() {
    wchar_t directory[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, directory);
    return directory;
}

TEST(FileDialogs, OpenReturnsTheTypedPathOfAnExistingFileAndCancelLeavesThePathAlone) {
    testsupport::ScratchDirectory scratch;
    std::wstring file = scratch.Write(L"processes.tnkx", "<processes/>");
    String chosen(L"before");
    {
        DialogUser cancel(L"");
        EXPECT_EQ(0, gui::ShowOpenFileDialog(nullptr, chosen));
    }
    EXPECT_STREQ(L"before", chosen.GetBuffer());
    DialogUser user(file);
    EXPECT_EQ(1, gui::ShowOpenFileDialog(nullptr, chosen));
    user.Wait();
    EXPECT_EQ(file, std::wstring(chosen.GetBuffer()));
    EXPECT_EQ(L"Load Configuration File", user.title);
}

TEST(FileDialogs, SaveAddsTheTxtExtensionAsksBeforeOverwritingAndKeepsTheCurrentDirectory) {
    testsupport::ScratchDirectory scratch;
    guitest::HostWindow owner;
    owner.Open(200, 100);
    std::wstring before = CurrentDirectory();
    String chosen;
    {
        DialogUser user(scratch.File(L"output"));
        EXPECT_EQ(1, gui::ShowSaveFileDialog(owner.GetHandle(), chosen));
    }
    EXPECT_EQ(scratch.File(L"output.txt"), std::wstring(chosen.GetBuffer()));

    std::wstring existing = scratch.Write(L"saved.txt", "old contents");
    DialogUser user(existing, true);
    EXPECT_EQ(1, gui::ShowSaveFileDialog(nullptr, chosen));
    user.Wait();
    EXPECT_EQ(existing, std::wstring(chosen.GetBuffer()));
    EXPECT_NE(std::wstring::npos, user.question.find(L"already exists")) << "no overwrite question was shown";
    EXPECT_EQ(before, CurrentDirectory());
}

}  // namespace
