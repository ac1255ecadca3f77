#include "gui/Window.h"

#include "gui/MessageDispatch.h"
#include "gui/WindowMessageRouter.h"
#include "util/Exception.h"
#include "util/SystemError.h"

namespace gui {

Window::Window(const wchar_t* className)
    : handle(nullptr),
      style(0),
      extendedStyle(0),
      instance(GetModuleHandleW(nullptr)),
      menuOrId(nullptr),
      windowClassName(nullptr),
      font(nullptr),
      creationRecord(nullptr),
      registerClass(false),
      creationParameter(nullptr),
      kind(PlainWindow),
      mdiClientHandle(nullptr),
      destroyed(false),
      router(WindowMessageRouter::GetInstance()),
      ownsFont(true),
      adopted(false),
      deletionScheduled(false) {
    this->className = className;
    CriticalSection::Lock hold(router->GetLock());
    creationRecord = router->GetThreadRecord();
    if (!creationRecord) {
        creationRecord = router->SetTLSIndex();
    }
}

Window::~Window() {
    if (font && ownsFont) {
        DeleteObject(font);
    }
    handle = nullptr;
    router->Forget(this);
}

void Window::UseClassName() {
    if (!windowClassName) {
        windowClassName = className;
    }
}

void Window::SetText(const wchar_t* text) {
    SetWindowTextW(handle, text);
}

void Window::SetPosition(int x, int y, int width, int height, UINT flags) {
    SetWindowPos(handle, nullptr, x, y, width, height, flags);
}

void Window::SetPosition(const RECT& rectangle, UINT flags) {
    SetPosition(rectangle.left, rectangle.top, rectangle.right - rectangle.left, rectangle.bottom - rectangle.top,
                flags);
}

void Window::OnRegisterClass(WNDCLASSEXW&) {}

void Window::OnCreate() {}

void Window::OnDestroy() {}

void Window::Destroy() {
    WindowMessageRouter::DeletionHold hold;
    if (handle && IsWindow(handle)) {
        // WM_DESTROY runs OnDestroy; WM_NCDESTROY lets go of the handle.
        DestroyWindow(handle);
        handle = nullptr;
        destroyed = true;
        router->Unbind(this);  // a control's WM_NCDESTROY never passes through the router
    }
}

void Window::OnSize(WPARAM, LPARAM) {}

LRESULT Window::OnCommand(WPARAM, LPARAM) {
    return 0;
}

void Window::OnPaint(HDC) {}

int Window::OnClose() {
    return 1;
}

LRESULT Window::OnNotify(WPARAM, LPARAM) {
    return 0;
}

LRESULT Window::OnMessage(UINT, WPARAM, LPARAM) {
    return 0;
}

LRESULT Window::OnTimer(WPARAM) {
    return 0;
}

void Window::RegisterClass() {
    UseClassName();
    WNDCLASSEXW description = {};
    description.cbSize = sizeof(description);
    description.lpfnWndProc = WindowMessageRouter::StaticRouteMessage;
    description.hInstance = instance;
    description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    description.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    description.lpszClassName = windowClassName;
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, windowClassName, &existing)) {
        return;
    }
    OnRegisterClass(description);
    if (RegisterClassExW(&description) == 0) {
        throw new Exception(L"Window::RegisterClass()\nClassName : %s\nWindowClassName : %s\n%s", className,
                            windowClassName, GetSystemErrorText());
    }
}

HWND Window::Create(HWND parent) {
    UseClassName();
    if (handle) {
        throw new Exception(L"%s::Create()\nWindow is already created. Check your code.", className);
    }
    if (registerClass) {
        RegisterClass();
    }
    // Until creation has succeeded the object is its caller's, whatever happens to the window.
    WindowMessageRouter::DeletionHold hold;
    bool adoptedBefore = adopted;
    adopted = false;
    SetHook();
    HWND created = CreateWindowExW(extendedStyle, windowClassName, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, parent, menuOrId, instance, creationParameter);
    DWORD error = GetLastError();
    // The handoff to the hook lasts exactly one CreateWindowExW, whatever its outcome.
    if (creationRecord->hook) {
        UnhookWindowsHookEx(creationRecord->hook);
        creationRecord->hook = nullptr;
    }
    creationRecord->window = nullptr;
    // A failure inside the hook or a handler outranks the bare "creation failed".
    if (WindowMessageRouter::HasPendingException()) {
        Abandon(created);
        WindowMessageRouter::RethrowPendingException();
    }
    if (!created) {
        SetLastError(error);
        throw new Exception(L"Window::CreateWindowEx() failed\n\nClassName : %s\nWindowClassName : %s\n%s", className,
                            windowClassName, GetSystemErrorText());
    }
    try {
        OnCreate();
    } catch (...) {
        Abandon(created);
        throw;
    }
    adopted = adoptedBefore;
    destroyed = false;  // an object may make its window again (the output view does, to trim)
    return created;
}

void Window::Abandon(HWND created) {
    if (created && IsWindow(created)) {
        DestroyWindow(created);
    }
    handle = nullptr;
    router->Unbind(this);
}

void Window::SetHook() {
    HHOOK hook = SetWindowsHookExW(WH_CBT, StaticCBTProc, nullptr, GetCurrentThreadId());
    if (!hook) {
        throw new Exception(L"Window::SetHook()\nSetWindowsHookEx Failed");
    }
    creationRecord->hook = hook;
    creationRecord->window = this;
}

LRESULT CALLBACK Window::StaticCBTProc(int code, WPARAM wParam, LPARAM lParam) {
    ThreadCreationRecord* record = WindowMessageRouter::GetInstance()->GetThreadRecord();
    try {
        if (!record) {
            throw new Exception(L"Window::StaticCBTProc ... Unable to get TLS");
        }
        if (code != HCBT_CREATEWND) {
            return CallNextHookEx(record->hook, code, wParam, lParam);
        }
        if (record->hook) {
            UnhookWindowsHookEx(record->hook);
            record->hook = nullptr;
        }
        if (record->window) {
            record->window->CreationHook(code, wParam, lParam);
        }
        return 0;
    } catch (...) {
        WindowMessageRouter::KeepException();
        // A window that cannot be bound is not created at all.
        return code == HCBT_CREATEWND ? 1 : 0;
    }
}

LRESULT Window::CreationHook(int, WPARAM wParam, LPARAM) {
    HWND created = reinterpret_cast<HWND>(wParam);
    router->Bind(created, this);
    handle = created;
    return 0;
}

String& Window::GetText(String& target) {
    int length = GetWindowTextLengthW(handle);
    if (length < 1) {
        return target;
    }
    wchar_t* buffer = new wchar_t[length + 1];
    buffer[0] = L'\0';
    GetWindowTextW(handle, buffer, length + 1);
    target = buffer;
    delete[] buffer;
    return target;
}

void Window::CenterOnWorkArea() {
    RECT workArea = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    RECT client = {};
    GetClientRect(handle, &client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    int x = ((workArea.right - workArea.left) - width) / 2;
    int y = ((workArea.bottom - workArea.top) - height) / 2;
    SetPosition(x, y, width, height, SWP_SHOWWINDOW);
}

void Window::LoadMenu(int resourceId) {
    HMENU menu = ::LoadMenuW(instance, MAKEINTRESOURCEW(resourceId));
    if (!menu) {
        throw new Exception(L"Window::LoadMenu(%i) - %s", resourceId, GetSystemErrorText());
    }
    SetMenu(handle, menu);
}

void Window::SetFont(HFONT value, bool owned) {
    if (font && ownsFont && font != value) {
        DeleteObject(font);
    }
    font = value;
    ownsFont = owned;
    if (handle) {
        SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void Window::AddStyle(DWORD bits) {
    style |= bits;
    if (handle) {
        SetWindowLongW(handle, GWL_STYLE, static_cast<LONG>(style));
    }
}

LRESULT Window::DefaultProcessing(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (kind) {
        case FrameWindow:
            return DefFrameProcW(window, mdiClientHandle, message, wParam, lParam);
        case ChildWindow:
            return DefMDIChildProcW(window, message, wParam, lParam);
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT Window::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Dispatch(window, message, wParam, lParam);
}

LRESULT Window::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (MessageDispatch::Classify(message, wParam)) {
        case MessageDispatch::Destroy:
            OnDestroy();
            break;
        case MessageDispatch::Size:
            OnSize(wParam, lParam);
            // A frame lays out its MDI client itself: DefFrameProcW would stretch it over the
            // toolbar and status bar. A child's default processing keeps the maximised state.
            if (kind != ChildWindow) {
                return kind == PlainWindow ? 1 : 0;
            }
            break;
        case MessageDispatch::Paint: {
            PAINTSTRUCT paint = {};
            HDC context = BeginPaint(window, &paint);
            OnPaint(context);
            EndPaint(window, &paint);
            return 0;
        }
        case MessageDispatch::Close:
            if (OnClose() != 0) {
                return 0;
            }
            break;
        case MessageDispatch::Notify:
            return OnNotify(wParam, lParam);
        case MessageDispatch::Command:
            if (OnCommand(wParam, lParam) == 0 && kind != FrameWindow) {
                return 0;
            }
            break;
        case MessageDispatch::Timer:
            return OnTimer(wParam);
        case MessageDispatch::Private:
            if (OnMessage(message, wParam, lParam) != 0) {
                return 0;
            }
            break;
        case MessageDispatch::Default:
            break;
    }
    return DefaultProcessing(window, message, wParam, lParam);
}

}  // namespace gui
