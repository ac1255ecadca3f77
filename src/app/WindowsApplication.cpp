#include "app/WindowsApplication.h"

#include <windows.h>

#include "gui/Window.h"
#include "gui/WindowMessageRouter.h"
#include "util/Exception.h"
#include "util/SystemError.h"

WindowsApplication::WindowsApplication(const wchar_t* builtInName)
    : Application(builtInName), acceleratorId(0), mdiClient(nullptr), dialogWindow(nullptr) {}

int WindowsApplication::MessageLoop() {
    HACCEL table = nullptr;
    if (acceleratorId != 0) {
        table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(acceleratorId));
        if (!table) {
            throw new Exception(L"WindowsApplication::MessageLoop()\n%s", GetSystemErrorText());
        }
    }
    gui::WindowMessageRouter* router = gui::WindowMessageRouter::GetInstance();
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        if (dialogWindow && IsDialogMessageW(static_cast<HWND>(dialogWindow), &msg)) {
            gui::WindowMessageRouter::RethrowPendingException();
            continue;
        }
        if (table && TranslateAcceleratorW(msg.hwnd, table, &msg)) {
            continue;
        }
        if (mdiClient && TranslateMDISysAccel(static_cast<HWND>(mdiClient), &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        // A handler's exception was kept at the window procedure; this is where it resumes.
        gui::WindowMessageRouter::RethrowPendingException();
        // A window destroyed through its object is deleted here, once its last message is handled.
        gui::Window* window = router->Lookup(msg.hwnd);
        if (window && window->IsDestroyed()) {
            router->DeleteWindow(window);
        }
    }
    return static_cast<int>(msg.wParam);
}
