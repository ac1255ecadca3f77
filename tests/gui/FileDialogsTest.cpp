#include "gui/FileDialogs.h"

#include <windows.h>
// after windows.h, which it needs
#include <dlgs.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "GuiTestSupport.h"
#include "support/MessageBoxWatcher.h"
#include "support/ScratchDirectory.h"
#include "support/TarnwickSession.h"

namespace {

using testsupport::MessageBoxWatcher;

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
    void Run() {
        HWND dialog = Await(nullptr);
        if (!dialog) {
            return;
        }
        Sleep(300);  // let the dialog fill its folder view
        title = guitest::TextOf(dialog);
        Answer(dialog);
        HWND box = confirm ? Await(dialog) : nullptr;
        if (box) {
            question = MessageBoxWatcher::Read(box).text;
            PostMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
        }
    }

    // Waits up to 20 s for a dialog box of this process other than except.
    static HWND Await(HWND except) {
        HWND box = nullptr;
        auto found = [&] { return (box = MessageBoxWatcher::FindBox(GetCurrentProcessId(), L"#32770", except)); };
        testsupport::WaitUntil(found, 20000);
        return box;
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

    std::wstring path;
    bool confirm;
    std::thread worker;
};

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
    wchar_t before[MAX_PATH] = L"", after[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, before);
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
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(before, after);
}

}  // namespace
