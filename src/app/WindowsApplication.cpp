#include "app/WindowsApplication.h"

#include <windows.h>

#include <cwchar>

#include "gui/WindowMessageRouter.h"
#include "util/Exception.h"
#include "util/SystemError.h"

namespace {

// The editing keys in a text field (the find strip's) are the field's before they are the frame's
// shortcuts: Ctrl+X there cuts, it does not exit.
bool IsFieldEditingKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) {
        return false;
    }
    wchar_t className[8] = {};
    GetClassNameW(msg.hwnd, className, 8);
    return _wcsicmp(className, L"Edit") == 0 && msg.wParam < 0x80 && wcschr(L"XCVZA", static_cast<wchar_t>(msg.wParam));
}

// Keyboard handling before dispatch; true when the message was consumed.
bool PreTranslate(const WindowsApplication& application, HACCEL table, MSG& msg) {
    HWND dialog = static_cast<HWND>(application.dialogWindow);
    if (dialog && WindowsApplication::BelongsTo(msg.hwnd, dialog) && IsDialogMessageW(dialog, &msg)) {
        return true;
    }
    HWND frame = static_cast<HWND>(application.mainWindow);
    if (!frame || !WindowsApplication::BelongsTo(msg.hwnd, frame)) {
        return false;
    }
    if (IsFieldEditingKey(msg)) {
        return false;
    }
    if (table && TranslateAcceleratorW(frame, table, &msg)) {
        return true;
    }
    // A strip of controls inside a window (the find strip) takes Tab, Enter and Escape as a
    // dialog does; the frame's shortcuts above still reach the frame from it.
    HWND strip = msg.hwnd ? GetParent(msg.hwnd) : nullptr;
    if (strip && (GetWindowLongPtrW(strip, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && IsDialogMessageW(strip, &msg)) {
        return true;
    }
    return application.mdiClient && TranslateMDISysAccel(static_cast<HWND>(application.mdiClient), &msg);
}

}  // namespace

WindowsApplication::WindowsApplication(const wchar_t* builtInName)
    : Application(builtInName), acceleratorId(0), mdiClient(nullptr), mainWindow(nullptr), dialogWindow(nullptr) {}

bool WindowsApplication::BelongsTo(const void* window, const void* topLevel) {
    HWND handle = static_cast<HWND>(const_cast<void*>(window));
    return handle && topLevel && GetAncestor(handle, GA_ROOT) == topLevel;
}

int WindowsApplication::MessageLoop() {
    HACCEL table = nullptr;
    if (acceleratorId != 0) {
        table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(acceleratorId));
        if (!table) {
            throw new Exception(L"WindowsApplication::MessageLoop()\n%s", GetSystemErrorText());
        }
    }
    gui::WindowMessageRouter::GetInstance();
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        if (!PreTranslate(*this, table, msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        // A handler's exception was kept at the window procedure (also one of a command sent by an
        // accelerator or an MDI key); this is where it resumes. Windows destroyed meanwhile were
        // let go, and adopted ones deleted, by the router.
        gui::WindowMessageRouter::RethrowPendingException();
    }
    return static_cast<int>(msg.wParam);
}
