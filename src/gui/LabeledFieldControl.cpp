#include "gui/LabeledFieldControl.h"

#include "gui/ControlLayout.h"
#include "gui/EditControl.h"

namespace gui {

LabeledFieldControl::LabeledFieldControl(const wchar_t* labelText, int layout)
    : WindowControl(L"LabeledFieldControl"), fieldKind(0), layout(layout), labelText(labelText), field(nullptr) {
    registerClass = true;
}

LabeledFieldControl::~LabeledFieldControl() {
    delete field;
}

void LabeledFieldControl::SetField(WindowControl* value) {
    if (field != value) {
        delete field;
    }
    field = value;
}

void LabeledFieldControl::SetText(const wchar_t* value) {
    if (field) {
        field->SetText(value);
    }
}

void LabeledFieldControl::OnCreate() {
    WindowControl::OnCreate();
    if (fieldKind == 0 && !field) {
        field = new EditControl(L"EditControl");
    }
    if (field) {
        field->Create(handle);
    }
    label.Create(handle);
    label.SetText(labelText.GetBuffer());
}

void LabeledFieldControl::OnSize(WPARAM, LPARAM) {
    RECT client = {};
    GetClientRect(handle, &client);
    int fieldHeight = field ? field->GetHeight() : 0;
    int half = ControlLayout::LabeledFieldHalf(client.right - client.left);
    Placement labelPlace = {};
    Placement fieldPlace = {};
    if (!ControlLayout::LabeledField(layout, client.right - client.left, label.GetHeight(), fieldHeight,
                                     label.GetWidth(half), labelPlace, fieldPlace)) {
        return;
    }
    label.SetPosition(labelPlace.x, labelPlace.y, labelPlace.width, labelPlace.height, SWP_SHOWWINDOW);
    if (field) {
        field->SetPosition(fieldPlace.x, fieldPlace.y, fieldPlace.width, fieldPlace.height, SWP_SHOWWINDOW);
    }
}

LRESULT LabeledFieldControl::OnCommand(WPARAM wParam, LPARAM lParam) {
    // An edit field's codes start at EN_SETFOCUS, so CBN_SETFOCUS can only come from a list.
    WORD code = HIWORD(wParam);
    if ((code == EN_SETFOCUS || code == CBN_SETFOCUS) && field &&
        reinterpret_cast<HWND>(lParam) == field->GetHandle()) {
        SendMessageW(GetParent(handle), WM_COMMAND, wParam, lParam);
    }
    return 0;
}

int LabeledFieldControl::GetHeight() {
    return ControlLayout::LabeledFieldHeight(layout, field != nullptr, label.GetHeight(),
                                             field ? field->GetHeight() : 0);
}

int LabeledFieldControl::GetWidth(int requested) {
    if (!field) {
        return 0;
    }
    return ControlLayout::LabeledFieldWidth(layout, true, label.GetWidth(requested), field->GetWidth(requested),
                                            requested);
}

}  // namespace gui
