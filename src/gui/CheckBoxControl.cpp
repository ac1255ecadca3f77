#include "gui/CheckBoxControl.h"

namespace gui {

CheckBoxControl::CheckBoxControl() : WindowControl(L"CheckBoxControl") {
    windowClassName = L"Button";
    style |= BS_AUTOCHECKBOX;
}

bool CheckBoxControl::MeansChecked(const wchar_t* value) {
    if (!value) {
        return false;
    }
    return lstrcmpiW(value, L"true") == 0 || wcscmp(value, L"1") == 0;
}

void CheckBoxControl::SetText(const wchar_t* value) {
    SendMessageW(handle, BM_SETCHECK, MeansChecked(value) ? BST_CHECKED : BST_UNCHECKED, 0);
    SetWindowTextW(handle, value ? value : L"");
}

int CheckBoxControl::GetHeight() {
    return 20;
}

void CheckBoxControl::SetId(int id) {
    SetControlId(id);
}

bool CheckBoxControl::IsChecked() const {
    return SendMessageW(handle, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace gui
