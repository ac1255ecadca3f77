#include "app/ProcessPanel.h"

#include <commctrl.h>

#include "app/ProcessWindow.h"
#include "gui/MDIClientWindow.h"

// What the panel's mouse, keys and context menus do.

namespace {

enum Command {
    kSaveContents = 501,
    kStart = 40002,
    kRestart = 40003,
    kStop = 40004,
    kStartAll = 40005,
    kStopAll = 40006,
    kRestartAll = 40007,
    kClear = 40201,
};

void Append(HMENU menu, int command, const wchar_t* caption, bool enabled = true) {
    AppendMenuW(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), static_cast<UINT_PTR>(command), caption);
}

}  // namespace

ProcessPanel::MenuChoice ProcessPanel::menuChoice;

LRESULT ProcessPanel::OnNotify(WPARAM, LPARAM lParam) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || header->hwndFrom != list) {
        return 0;
    }
    switch (header->code) {
        case NM_CLICK:
            OnClick(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
            return 0;
        case NM_DBLCLK:
            OnDoubleClick(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
            return 0;
        case NM_RETURN:
            OnKey(SelectedRow(), VK_RETURN);
            return 0;
        case LVN_KEYDOWN: {
            UINT key = reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey;
            if (key == VK_DELETE) {
                OnKey(SelectedRow(), key);
            }
            return 0;
        }
        default:
            return 0;
    }
}

void ProcessPanel::OnClick(int row) {
    ProcessWindow* window = WindowAt(row);
    if (!window) {
        return;
    }
    if (IsIconic(window->GetHandle())) {
        SendMessageW(client.GetHandle(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(window->GetHandle()), 0);
    }
    SendMessageW(client.GetHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window->GetHandle()), 0);
    // The activation gave the keyboard to the window: it stays in the panel, for Delete and Enter.
    SetFocus(list);
}

void ProcessPanel::OnDoubleClick(int row) {
    ProcessWindow* window = WindowAt(row);
    if (window && window->CountRuns() == 0) {
        RunRowCommand(row, kStart);
    }
}

void ProcessPanel::OnKey(int row, UINT key) {
    ProcessWindow* window = WindowAt(row);
    if (!window) {
        return;
    }
    if (key == VK_DELETE) {
        RunRowCommand(row, kStop);
    } else if (key == VK_RETURN) {
        RunRowCommand(row, window->CountRuns() == 0 ? kStart : kRestart);
    }
}

void ProcessPanel::RunRowCommand(int row, int command) {
    ProcessWindow* window = WindowAt(row);
    if (!window || ((command == kStart || command == kRestart) && ending())) {
        return;  // nothing new starts once the program is ending
    }
    if (command == kStart || command == kStop || command == kRestart) {
        window->ProcessCommand(command);
    } else if (command == kClear) {
        window->ClearOutput();
    } else if (command == kSaveContents) {
        window->SaveContents();
    }
    Refresh();
}

HMENU ProcessPanel::MakeRowMenu(const ProcessWindow& window) const {
    bool runs = window.CountRuns() > 0;
    HMENU menu = CreatePopupMenu();
    Append(menu, kStart, L"&Start", !runs);
    Append(menu, kStop, L"St&op", runs);
    Append(menu, kRestart, L"&Restart");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    Append(menu, kClear, L"&Clear");
    Append(menu, kSaveContents, L"S&ave Window Contents As ...");
    return menu;
}

HMENU ProcessPanel::MakeAllMenu() {
    HMENU menu = CreatePopupMenu();
    Append(menu, kStartAll, L"Start &All");
    Append(menu, kStopAll, L"S&top All");
    Append(menu, kRestartAll, L"R&estart All");
    return menu;
}

int ProcessPanel::Choose(HMENU menu, POINT at) {
    if (menuChoice) {
        return menuChoice(menu, at);
    }
    return static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, handle, nullptr));
}

void ProcessPanel::ShowMenu(POINT screen) {
    int row = -1;
    if (screen.x == -1 && screen.y == -1) {
        // From the keyboard: the selected row's menu, beside the row.
        row = SelectedRow();
        RECT bounds = {LVIR_LABEL, 0, 0, 0};
        SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
        screen = {bounds.left, bounds.bottom};
        ClientToScreen(list, &screen);
    } else {
        row = RowAt(screen);
    }
    ProcessWindow* window = WindowAt(row);
    HWND target = window ? window->GetHandle() : nullptr;
    HMENU menu = window ? MakeRowMenu(*window) : MakeAllMenu();
    int command = Choose(menu, screen);
    DestroyMenu(menu);
    if (command == kStartAll || command == kStopAll || command == kRestartAll) {
        // The frame's own commands, with what it keeps from starting while it exits.
        SendMessageW(GetParent(handle), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    } else if (command != 0 && target) {
        // The rows may have changed while the menu was open: the command goes to its window.
        for (int index = 0; index < CountRows(); ++index) {
            if (rows[static_cast<size_t>(index)].window == target) {
                RunRowCommand(index, command);
                break;  // the command may have rebuilt the rows
            }
        }
    }
}
