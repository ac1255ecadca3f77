#include "gui/EditControl.h"

namespace gui {

EditControl::EditControl(const wchar_t* className) : WindowControl(className), editFont(nullptr) {
    windowClassName = L"Edit";
    style |= ES_AUTOHSCROLL;
    extendedStyle |= WS_EX_STATICEDGE;
    height = 20;
}

EditControl::~EditControl() {
    if (editFont) {
        DeleteObject(editFont);
    }
}

void EditControl::OnCreate() {
    HFONT created = CreateFontW(15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, FF_SWISS, L"Courier New");
    if (editFont) {
        DeleteObject(editFont);
    }
    editFont = created;
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(editFont), TRUE);
}

}  // namespace gui
