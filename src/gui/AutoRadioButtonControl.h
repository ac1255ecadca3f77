#pragma once

#include <windows.h>

#include <vector>

#include "gui/ButtonControl.h"

namespace gui {

// A group box holding a row of automatic radio buttons. The system's group box would keep the
// buttons' notifications to itself; a subclass passes them on to the group's parent.
class AutoRadioButtonControl : public ButtonControl {
public:
    AutoRadioButtonControl();
    ~AutoRadioButtonControl() override;

    void OnCreate() override;
    void OnSize(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    int GetHeight() override;
    // Checks the button with this child identifier and unchecks the others.
    virtual void Select(int id);

    // Adds a radio button (the group must exist); the first one starts the group.
    ButtonControl* AddButton(int id, const wchar_t* text);
    const std::vector<ButtonControl*>& GetButtons() const { return buttons; }

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    void LayOut();

    std::vector<ButtonControl*> buttons;  // owned, in creation order
    UINT_PTR subclassId;
};

}  // namespace gui
