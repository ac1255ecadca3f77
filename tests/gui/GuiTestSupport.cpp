#include "GuiTestSupport.h"

#include "app/WindowsApplication.h"
#include "gui/WindowMessageRouter.h"

namespace guitest {
namespace {

// The framework reads the application's name; the tests have an application object like the
// program has.
class TestApplication : public WindowsApplication {
public:
    TestApplication() : WindowsApplication(L"GuiTests") {}
    int Run() override { return 0; }
};

TestApplication application;

}  // namespace

void PumpMessages(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            gui::WindowMessageRouter::RethrowPendingException();
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

RECT RectInParent(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

::testing::AssertionResult PlacedAt(HWND window, int x, int y, int width, int height) {
    RECT r = RectInParent(window);
    if (r.left == x && r.top == y && r.right - r.left == width && r.bottom - r.top == height) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "placed at " << r.left << "," << r.top << " size " << r.right - r.left
                                         << "x" << r.bottom - r.top;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

HostWindow::HostWindow() : Window(L"GuiTestHost") {
    // A popup that is never activated: Wine hands active or captioned windows to the X window
    // manager and, with none running on the test display, waits two seconds for it whenever such
    // a window goes away.
    style = WS_POPUP | WS_CLIPCHILDREN;
    extendedStyle = WS_EX_NOACTIVATE;
    registerClass = true;
}

HostWindow::~HostWindow() {
    if (handle && IsWindow(handle)) {
        DestroyWindow(handle);
    }
}

void HostWindow::Open(int clientWidth, int clientHeight) {
    Create(nullptr);
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, extendedStyle);
    SetPosition(20, 20, frame.right - frame.left, frame.bottom - frame.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    PumpMessages(20);
}

}  // namespace guitest
