#include "util/version/UpdateProgressWindow.h"

#include "net/http/TransferWatch.h"

namespace util {
namespace version {

const wchar_t* const UpdateProgressWindow::kClassName = L"TarnwickUpdateProgress";

namespace {

const int kWidth = 380;
const int kHeight = 150;

HWND MakeChild(HWND parent, const wchar_t* type, const wchar_t* text, DWORD style, int x, int y, int w, int h,
               int id) {
    HWND child = CreateWindowExW(0, type, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return child;
}

}  // namespace

void UpdateProgressWindow::Register() {
    static bool registered = false;
    if (registered) {
        return;
    }
    WNDCLASSEXW type = {};
    type.cbSize = sizeof(type);
    type.lpfnWndProc = Procedure;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = kClassName;
    registered = RegisterClassExW(&type) != 0;
}

UpdateProgressWindow::UpdateProgressWindow(HWND owner, const String& caption, const String& what,
                                           net::http::TransferWatch& watch)
    : handle(nullptr), label(nullptr), cancelButton(nullptr), what(what), shown(~0ull), watch(watch) {
    className = L"UpdateProgressWindow";
    Register();
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner) {
        GetWindowRect(owner, &area);
    }
    int x = area.left + (area.right - area.left - kWidth) / 2;
    int y = area.top + (area.bottom - area.top - kHeight) / 2;
    handle = CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, caption.GetBuffer(),
                             WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, x, y, kWidth, kHeight, owner, nullptr,
                             GetModuleHandleW(nullptr), this);
    if (!handle) {
        return;  // the download goes on without a window; a quit still ends it
    }
    label = MakeChild(handle, L"STATIC", L"", SS_LEFT, 16, 14, kWidth - 40, 48, 100);
    cancelButton = MakeChild(handle, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, kWidth - 120, kHeight - 74, 90,
                             26, IDCANCEL);
    Update(0);
}

UpdateProgressWindow::~UpdateProgressWindow() {
    if (handle) {
        SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
        DestroyWindow(handle);
    }
}

void UpdateProgressWindow::Update(uint64_t received) {
    // Tenths of a megabyte: redrawn only when the figure changes.
    uint64_t tenths = received * 10 / (1024 * 1024);
    if (!label || tenths == shown) {
        return;
    }
    shown = tenths;
    String text;
    text.Format(L"%s\n\n%u.%u MB received", what.GetBuffer(), static_cast<unsigned>(tenths / 10),
                static_cast<unsigned>(tenths % 10));
    SetWindowTextW(label, text.GetBuffer());
}

void UpdateProgressWindow::Cancel() {
    watch.Cancel();
    if (cancelButton) {
        EnableWindow(cancelButton, FALSE);
    }
    if (label) {
        SetWindowTextW(label, L"Cancelling the download...");
    }
}

LRESULT CALLBACK UpdateProgressWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    UpdateProgressWindow* self = reinterpret_cast<UpdateProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL))) {
        self->Cancel();  // the window goes when the download has ended
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace version
}  // namespace util
