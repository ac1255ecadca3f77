#include "app/App.h"

#include <windows.h>

#include "util/Exception.h"
#include "util/SystemError.h"

namespace {

const wchar_t kFrameClass[] = L"TarnwickFrame";

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Until the MDI frame exists, a plain top-level window stands in for it.
void CreateFrame(const wchar_t* title) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(100));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = kFrameClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw new Exception(L"App::Run()\nRegisterClassEx failed\n%s", GetSystemErrorText());
    }
    HWND frame = CreateWindowExW(0, kFrameClass, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                 CW_USEDEFAULT, 800, 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!frame) {
        throw new Exception(L"App::Run()\nCreateWindowEx failed\n%s", GetSystemErrorText());
    }
    ShowWindow(frame, SW_SHOWNORMAL);
    UpdateWindow(frame);
}

}  // namespace

App::App() {
    acceleratorId = 1000;
    mdiClient = nullptr;
}

int App::Run() {
    CreateFrame(GetDisplayName());
    return MessageLoop();
}
