#include "gui/WindowDpi.h"

namespace gui {

int WindowDpi(HWND window) {
    // Looked up at run time: older systems do not have it.
    using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
    static GetDpiForWindowProc perWindow = reinterpret_cast<GetDpiForWindowProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (perWindow) {
        UINT dpi = perWindow(window);
        if (dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace gui
