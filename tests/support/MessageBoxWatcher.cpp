#include "support/MessageBoxWatcher.h"

namespace testsupport {
namespace {

struct Search {
    DWORD processId;
    const wchar_t* className;
    HWND except;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
    Search* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t cls[64] = L"";
    GetClassNameW(window, cls, 64);
    if (owner == search->processId && window != search->except && IsWindowVisible(window) &&
        lstrcmpW(cls, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(DWORD processId, int button, DWORD timeoutMs)
    : watcher(&MessageBoxWatcher::Watch, this, processId ? processId : GetCurrentProcessId(), button, timeoutMs) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    cancel = true;
    Wait();
}

HWND MessageBoxWatcher::FindBox(DWORD processId, const wchar_t* className, HWND except) {
    Search search = {processId, className, except, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

MessageBoxInfo MessageBoxWatcher::Read(HWND box) {
    wchar_t title[4096] = L"";
    wchar_t text[4096] = L"";
    GetWindowTextW(box, title, 4096);
    GetDlgItemTextW(box, 0xFFFF, text, 4096);  // the message text's static control
    return MessageBoxInfo{true, title, text};
}

void MessageBoxWatcher::Watch(DWORD processId, int button, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!cancel && GetTickCount() - start < timeoutMs) {
        HWND box = FindBox(processId);
        if (box) {
            Sleep(50);  // let the box finish its initialisation before reading it
            info = Read(box);
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
            // Return only once the box is gone, so that a watcher started next never takes
            // this closing box for the one it waits for.
            DWORD pressed = GetTickCount();
            while (IsWindow(box) && IsWindowVisible(box) && GetTickCount() - pressed < 5000) {
                Sleep(10);
            }
            return;
        }
        Sleep(20);
    }
}

MessageBoxInfo MessageBoxWatcher::Wait() {
    if (watcher.joinable()) {
        watcher.join();
    }
    return info;
}

}  // namespace testsupport
