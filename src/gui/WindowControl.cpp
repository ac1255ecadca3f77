#include "gui/WindowControl.h"

#include "gui/ControlLayout.h"

namespace gui {

WindowControl::WindowControl(const wchar_t* className)
    : Window(className), maximumWidth(0), height(24), backgroundColour(COLOR_BTNFACE) {
    style |= WS_CHILD | WS_VISIBLE;
}

void WindowControl::SetPosition(int x, int y, int width, int height, UINT flags) {
    SetWindowPos(handle, nullptr, x, y, GetWidth(width), height, flags);
}

void WindowControl::OnRegisterClass(WNDCLASSEXW& description) {
    description.hbrBackground = GetSysColorBrush(backgroundColour);
}

void WindowControl::OnCreate() {
    // A font given before creation is sent now; otherwise the system's dialog font.
    HGDIOBJ chosen = font ? font : GetStockObject(DEFAULT_GUI_FONT);
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), FALSE);
}

void WindowControl::SetHeight(int value) {
    height = value;
}

int WindowControl::GetHeight() {
    return height;
}

int WindowControl::GetWidth(int requested) {
    return ControlLayout::ClampWidth(requested, maximumWidth);
}

}  // namespace gui
