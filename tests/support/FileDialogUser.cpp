#include "support/FileDialogUser.h"

// after windows.h, which it needs
#include <dlgs.h>

#include "support/MessageBoxWatcher.h"
#include "support/TarnwickSession.h"

namespace testsupport {

void DialogUser::Run() {
    HWND dialog = Await(nullptr);
    if (!dialog) {
        return;
    }
    Sleep(300);  // let the dialog fill its folder view
    title = TarnwickSession::Text(dialog);
    Answer(dialog);
    HWND box = confirm ? Await(dialog) : nullptr;
    if (box) {
        question = MessageBoxWatcher::Read(box).text;
        PostMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    }
}

HWND DialogUser::Await(HWND except) {
    HWND box = nullptr;
    auto found = [&] { return (box = MessageBoxWatcher::FindBox(GetCurrentProcessId(), L"#32770", except)); };
    testsupport::WaitUntil(found, 20000);
    return box;
}

void DialogUser::Answer(HWND dialog) {
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

}  // namespace testsupport
