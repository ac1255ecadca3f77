// Opens the settings window of a running Tarnwick and selects a process in it, so that a
// screenshot shows the form filled: SettingsShot [item index [width height]]. With a size the
// window takes it, centred on the screen, and its fields are scrolled to their end.
#include <windows.h>

#include <commctrl.h>

#include <cwchar>

namespace {

HWND WaitForWindow(const wchar_t* windowClass) {
    HWND found = nullptr;
    for (int attempt = 0; attempt < 100 && !(found = FindWindowW(windowClass, nullptr)); ++attempt) {
        Sleep(100);
    }
    return found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    HWND frame = WaitForWindow(L"MainWindow");
    if (!frame) {
        return 1;
    }
    PostMessageW(frame, WM_COMMAND, 40013, 0);
    HWND settings = WaitForWindow(L"SettingsWindow");
    HWND splitter = settings ? FindWindowExW(settings, nullptr, L"SplitterControl", nullptr) : nullptr;
    HWND tree = splitter ? FindWindowExW(splitter, nullptr, WC_TREEVIEWW, nullptr) : nullptr;
    if (!tree) {
        return 2;
    }
    HTREEITEM item = TreeView_GetRoot(tree);
    for (int skip = argc > 1 ? _wtoi(argv[1]) : 0; item && skip > 0; --skip) {
        item = TreeView_GetNextSibling(tree, item);
    }
    TreeView_SelectItem(tree, item);
    if (argc > 3) {
        int width = _wtoi(argv[2]);
        int height = _wtoi(argv[3]);
        SetWindowPos(settings, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER);
        // The property pane is the splitter's other child.
        HWND pane = FindWindowExW(splitter, nullptr, nullptr, nullptr);
        if (pane == tree) {
            pane = FindWindowExW(splitter, pane, nullptr, nullptr);
        }
        SendMessageW(pane, WM_VSCROLL, SB_BOTTOM, 0);
        // Moved from another process, the buttons are not always drawn again at once under Wine.
        Sleep(500);
        RedrawWindow(settings, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    return 0;
}
