// The frame's icon in the notification area: a second source file of MainWindow, for the
// messages, tooltip and menu of its FrameTray.
#include "app/FailureNotice.h"
#include "app/MainWindow.h"
#include "app/ProcessWindow.h"

namespace {

// The tooltip follows the runs while the icon is shown; the timer's id is the icon's message.
const UINT kTipRefreshMs = 1000;
const int kStopCommand = 40004;

}  // namespace

bool MainWindow::OnTrayMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED && !tray.IsShown()) {
        HICON icon = reinterpret_cast<HICON>(SendMessageW(handle, WM_GETICON, ICON_SMALL, 0));
        tray.Minimized(handle, icon ? icon : LoadIconW(nullptr, IDI_APPLICATION), TrayTip());
        if (tray.IsShown()) {
            SetTimer(handle, FrameTray::callbackMessage, kTipRefreshMs, nullptr);
        }
        return true;
    }
    if (message == WM_SHOWWINDOW && wParam && tray.IsShown()) {
        tray.Remove();  // however the frame comes back (a click, a second start, a box)
        KillTimer(handle, FrameTray::callbackMessage);
        return true;
    }
    if (message == WM_DESTROY) {
        tray.Remove();
        return true;
    }
    if (message == FailureNotice::toldMessage) {
        tray.Balloon(reinterpret_cast<const wchar_t*>(lParam));
        return true;
    }
    bool wantsMenu = false;
    if (!tray.Handle(handle, message, lParam, wantsMenu)) {
        return false;
    }
    if (wantsMenu) {
        ShowTrayMenu();
    }
    return true;
}

std::wstring MainWindow::TrayTip() {
    std::vector<ProcessWindow*> windows = processWindows.Windows();
    int running = 0;
    for (ProcessWindow* window : windows) {
        running += window->IsProcessRunning() ? 1 : 0;
    }
    return L"Tarnwick: " + std::to_wstring(running) + L" of " + std::to_wstring(windows.size()) +
           (windows.size() == 1 ? L" process running" : L" processes running");
}

void MainWindow::ShowTrayMenu() {
    std::vector<std::wstring> titles;
    for (ProcessWindow* window : processWindows.Windows()) {
        wchar_t title[256] = {};
        GetWindowTextW(window->GetHandle(), title, 256);
        titles.push_back(title);
    }
    HMENU menu = FrameTray::BuildMenu(titles);
    POINT at = {};
    GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only if the frame is the foreground window.
    SetForegroundWindow(handle);
    int command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, handle, nullptr);
    PostMessageW(handle, WM_NULL, 0, 0);
    DestroyMenu(menu);
    if (command != 0) {
        RunTrayCommand(command);
    }
}

void MainWindow::RunTrayCommand(int command) {
    size_t index = 0;
    int processCommand = 0;
    if (command == FrameTray::showCommand) {
        ShowWindow(handle, SW_RESTORE);
        SetForegroundWindow(handle);
    } else if (FrameTray::ProcessCommandOf(command, index, processCommand)) {
        std::vector<ProcessWindow*> windows = processWindows.Windows();
        if (index < windows.size() && !(exiting && processCommand != kStopCommand)) {
            windows[index]->ProcessCommand(processCommand);
        }
    } else {
        SendMessageW(handle, WM_COMMAND, MAKEWPARAM(command, 0), 0);  // Start All, Stop All, Exit
    }
}
