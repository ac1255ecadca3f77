#include "app/ExitProgress.h"

namespace {

const int kWidth = 260;
const int kHeight = 64;

}  // namespace

ExitProgress::~ExitProgress() {
    Close();
}

std::wstring ExitProgress::Text(int ending) {
    if (ending == 1) {
        return L"Stopping 1 process...";
    }
    return L"Stopping " + std::to_wstring(ending) + L" processes...";
}

void ExitProgress::Show(HWND owner, int ending) {
    std::wstring text = Text(ending);
    if (window && IsWindow(window)) {
        SetWindowTextW(window, text.c_str());
        return;
    }
    RECT area = {};
    GetWindowRect(owner, &area);
    int x = area.left + (area.right - area.left - kWidth) / 2;
    int y = area.top + (area.bottom - area.top - kHeight) / 2;
    // A static control needs no class of its own and paints its text centred by itself. It never
    // takes the activation: nothing is typed into it, and its going must not move the focus.
    window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_NOACTIVATE, L"STATIC", text.c_str(),
                             WS_POPUP | WS_BORDER | SS_CENTER | SS_CENTERIMAGE, x, y, kWidth, kHeight, owner, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (window) {
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateWindow(window);
    }
}

void ExitProgress::Close() {
    if (window && IsWindow(window)) {
        DestroyWindow(window);
    }
    window = nullptr;
}
