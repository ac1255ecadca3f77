// Shows the process panel of a running Tarnwick, so that a screenshot has it: PanelShot.
#include <windows.h>

int wmain() {
    HWND frame = nullptr;
    for (int attempt = 0; attempt < 100 && !(frame = FindWindowW(L"MainWindow", nullptr)); ++attempt) {
        Sleep(100);
    }
    if (!frame) {
        return 1;
    }
    // View > Show the tree panel, then Window > Tile Vertically into the room left, as the menus
    // send them.
    if (!PostMessageW(frame, WM_COMMAND, 40203, 0)) {
        return 2;
    }
    Sleep(500);
    return PostMessageW(frame, WM_COMMAND, 40313, 0) ? 0 : 3;
}
