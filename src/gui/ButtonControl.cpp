#include "gui/ButtonControl.h"

namespace gui {

ButtonControl::ButtonControl(const wchar_t* className) : WindowControl(className), buttonFont(nullptr) {
    windowClassName = L"Button";
}

ButtonControl::~ButtonControl() {
    if (buttonFont) {
        DeleteObject(buttonFont);
    }
}

void ButtonControl::SetButtonFont(HFONT value) {
    if (buttonFont && buttonFont != value) {
        DeleteObject(buttonFont);
    }
    buttonFont = value;
    if (handle) {
        SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont), TRUE);
    }
}

}  // namespace gui
