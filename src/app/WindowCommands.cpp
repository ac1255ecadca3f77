#include "app/WindowCommands.h"

#include <windows.h>

#include "app/ProcessWindow.h"
#include "gui/MDIClientWindow.h"

namespace {

enum Command {
    kSaveContents = 501,
    kStart = 40002,
    kRestart = 40003,
    kStop = 40004,
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
