#include "app/WindowCommands.h"

#include <windows.h>

#include <algorithm>

#include "app/ProcessWindow.h"
#include "gui/MDIClientWindow.h"

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
    kLogToScreen = 40202,
    kFind = 40204,
    kFindNext = 40205,
    kFindPrevious = 40206,
    kShowTimestamps = 40207,
    kCascade = 40301,
    kTileVertically = 40313,
    kTileHorizontally = 40314,
    kNextWindow = 40315,
    kPreviousWindow = 40316,
    kFirstListedWindow = 40321,  // to 40329: Alt+1 to Alt+9
};
const int kListedWindows = 9;

}  // namespace

bool WindowCommands::Run(int command, ProcessWindow* active, gui::MDIClientWindow& client) {
    switch (command) {
        case kSaveContents:
        case kLogToScreen:
        case kClear:
        case kFind:
        case kFindNext:
        case kFindPrevious:
        case kShowTimestamps:
        case kStart:
        case kRestart:
        case kStop:
            if (active) {
                RunOnActive(command, *active);
            }
            return true;
        default:
            return Arrange(command, client);
    }
}

bool WindowCommands::RunOnAll(int command, const std::function<std::vector<ProcessWindow*>()>& current) {
    if (command != kStartAll && command != kStopAll && command != kRestartAll) {
        return false;
    }
    // Each window gets what its own Start, Stop or Restart would do, where that applies: Start
    // All starts the windows not running (a waiting one at once, as a Start by hand), Stop All
    // asks every run and wait to end (again: at once), Restart All restarts what runs and starts
    // what does not. A window already stopping is left to end.
    for (ProcessWindow* window : current()) {
        std::vector<ProcessWindow*> now = current();
        if (std::find(now.begin(), now.end(), window) == now.end()) {
            continue;  // gone meanwhile
        }
        ProcessWindow::State state = window->GetState();
        bool idle = state == ProcessWindow::Stopped || state == ProcessWindow::Waiting;
        if (command == kStopAll && state != ProcessWindow::Stopped) {
            window->ProcessCommand(kStop);
        } else if (command != kStopAll && idle) {
            window->ProcessCommand(kStart);
        } else if (command == kRestartAll && state == ProcessWindow::Running) {
            window->ProcessCommand(kRestart);
        }
    }
    return true;
}

void WindowCommands::RunOnActive(int command, ProcessWindow& active) {
    switch (command) {
        case kSaveContents:
            active.SaveContents();
            break;
        case kLogToScreen:
            active.SetLogToScreen(!active.GetLogToScreen());
            break;
        case kClear:
            active.ClearOutput();
            break;
        case kShowTimestamps:
            active.SetShowTimestamps(!active.GetShowTimestamps());
            break;
        case kFind:
            active.GetFindBar().Open();
            break;
        case kFindNext:
        case kFindPrevious:
            active.GetFindBar().Repeat(command == kFindPrevious);
            break;
        default:
            active.ProcessCommand(command);
            break;
    }
}

bool WindowCommands::Arrange(int command, gui::MDIClientWindow& client) {
    switch (command) {
        case kCascade:
            SendMessageW(client.GetHandle(), WM_MDICASCADE, 0, 0);
            return true;
        case kTileVertically:
            SendMessageW(client.GetHandle(), WM_MDITILE, MDITILE_VERTICAL, 0);
            return true;
        case kTileHorizontally:
            SendMessageW(client.GetHandle(), WM_MDITILE, MDITILE_HORIZONTAL, 0);
            return true;
        case kNextWindow:
        case kPreviousWindow:
            client.ActivateNext(command == kPreviousWindow);
            return true;
        default:
            if (command >= kFirstListedWindow && command < kFirstListedWindow + kListedWindows) {
                client.ActivateListed(command - kFirstListedWindow);
                return true;
            }
            return false;
    }
}
