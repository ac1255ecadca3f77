#include "app/OutputMenu.h"

#include <windowsx.h>

#include "app/OutputView.h"

namespace {

// The frame's command numbers, so that the menu runs the very commands of the menu bar.
enum Command {
    kSaveContents = 501,
    kClear = 40201,
    kFind = 40204,
    // Local to the view.
    kCopy = 1,
    kSelectAll = 2,
};

const int kSeparator = 0;
const struct {
    int command;
    const wchar_t* text;
} kItems[] = {
    {kCopy, L"&Copy\tCtrl+C"},
    {kSelectAll, L"Select &All\tCtrl+A"},
    {kSeparator, nullptr},
    {kFind, L"&Find...\tCtrl+F"},
    {kSeparator, nullptr},
    {kClear, L"C&lear"},
    {kSaveContents, L"&Save Window Contents As ...\tCtrl+L"},
};

}  // namespace

OutputMenu::OutputMenu(OutputView& view) : view(view) {}

void OutputMenu::Show(LPARAM where) {
    HMENU menu = CreatePopupMenu();
    if (!menu) {
        return;
    }
    for (const auto& item : kItems) {
        if (item.command == kSeparator) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            bool disabled = item.command == kCopy && view.GetSelection().Empty();
            AppendMenuW(menu, MF_STRING | (disabled ? MF_GRAYED : 0), static_cast<UINT_PTR>(item.command), item.text);
        }
    }
    POINT at = Place(where);
    int chosen = static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0,
                                                 view.GetHandle(), nullptr));
    DestroyMenu(menu);
    Run(chosen);
}

POINT OutputMenu::Place(LPARAM where) const {
    POINT at = {GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    if (at.x == -1 && at.y == -1) {
        at = {0, 0};
        ClientToScreen(view.GetHandle(), &at);
    }
    return at;
}

void OutputMenu::Run(int command) {
    switch (command) {
        case kCopy:
            view.CopySelection();
            break;
        case kSelectAll:
            view.SelectAll();
            break;
        case kFind:
        case kClear:
        case kSaveContents:
            // The frame routes these to its active process window.
            SendMessageW(GetAncestor(view.GetHandle(), GA_ROOT), WM_COMMAND, MAKEWPARAM(command, 0), 0);
            break;
        default:
            break;  // dismissed
    }
}
