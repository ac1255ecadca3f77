#include "gui/AutoRadioButtonControl.h"

#include <commctrl.h>

#include "gui/ControlLayout.h"
#include "gui/WindowMessageRouter.h"

namespace gui {

AutoRadioButtonControl::AutoRadioButtonControl() : ButtonControl(L"AutoRadioButtonControl"), subclassId(1) {
    style |= BS_GROUPBOX;
}

AutoRadioButtonControl::~AutoRadioButtonControl() {
    if (handle && IsWindow(handle)) {
        RemoveWindowSubclass(handle, SubclassProc, subclassId);
    }
    for (ButtonControl* button : buttons) {
        delete button;
    }
}

void AutoRadioButtonControl::OnCreate() {
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    SetWindowSubclass(handle, SubclassProc, subclassId, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK AutoRadioButtonControl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                      UINT_PTR, DWORD_PTR self) {
    try {
        if (message == WM_COMMAND) {
            return SendMessageW(GetParent(window), WM_COMMAND, wParam, lParam);
        }
        LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        // The group box is a system window, so the framework never sees it resized: lay the
        // buttons out here whenever the owner moves or sizes the group.
        if (message == WM_SIZE) {
            reinterpret_cast<AutoRadioButtonControl*>(self)->OnSize(wParam, lParam);
        }
        return result;
    } catch (...) {
        WindowMessageRouter::KeepException();
        return 0;
    }
}

void AutoRadioButtonControl::OnSize(WPARAM, LPARAM) {
    LayOut();
}

void AutoRadioButtonControl::LayOut() {
    int count = static_cast<int>(buttons.size());
    if (count == 0) {
        return;
    }
    RECT client = {};
    GetClientRect(handle, &client);
    for (int i = 0; i < count; ++i) {
        Placement place = ControlLayout::RadioButton(client.right - client.left, count, i);
        buttons[i]->SetPosition(place.x, place.y, place.width, place.height, SWP_SHOWWINDOW);
    }
}

LRESULT AutoRadioButtonControl::OnCommand(WPARAM wParam, LPARAM lParam) {
    return SendMessageW(GetParent(handle), WM_COMMAND, wParam, lParam);
}

int AutoRadioButtonControl::GetHeight() {
    return 49;
}

void AutoRadioButtonControl::Select(int id) {
    for (ButtonControl* button : buttons) {
        int buttonId = static_cast<int>(reinterpret_cast<INT_PTR>(GetMenu(button->GetHandle())));
        SendMessageW(button->GetHandle(), BM_SETCHECK, buttonId == id ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

ButtonControl* AutoRadioButtonControl::AddButton(int id, const wchar_t* text) {
    ButtonControl* button = new ButtonControl();
    button->AddStyle(BS_AUTORADIOBUTTON);
    if (buttons.empty()) {
        button->AddStyle(WS_GROUP);
    }
    button->SetControlId(id);
    try {
        button->Create(handle);
    } catch (...) {
        delete button;
        throw;
    }
    button->SetText(text);
    buttons.push_back(button);
    return button;
}

}  // namespace gui
