#include "gui/ComboBoxControl.h"

namespace gui {
namespace {

// Room for the dropped list below the box: a handful of items.
const int kListHeight = 120;

}  // namespace

ComboBoxControl::ComboBoxControl() : WindowControl(L"ComboBoxControl") {
    windowClassName = L"ComboBox";
    style |= CBS_DROPDOWNLIST | WS_VSCROLL;
    height = 24;
}

void ComboBoxControl::SetPosition(int x, int y, int width, int boxHeight, UINT flags) {
    // A combo box's window height includes its dropped list; the system sizes the box itself.
    WindowControl::SetPosition(x, y, width, boxHeight + kListHeight, flags);
}

void ComboBoxControl::SetId(int id) {
    SetControlId(id);
}

int ComboBoxControl::AddItem(const wchar_t* text) {
    return static_cast<int>(SendMessageW(handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

void ComboBoxControl::Select(int index) {
    SendMessageW(handle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int ComboBoxControl::GetSelection() const {
    LRESULT selected = SendMessageW(handle, CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

}  // namespace gui
