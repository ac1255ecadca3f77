#pragma once

#include <windows.h>

#include "gui/EditControl.h"

namespace gui {

// An edit field of several lines that do not wrap. Enter starts a new line; Tab and Escape stay
// the dialog keys, as in a dialog box, where the system's multi-line edit would take them too.
class MultiLineEditControl : public EditControl {
public:
    MultiLineEditControl();
    ~MultiLineEditControl() override;

    void OnCreate() override;

private:
    static LRESULT CALLBACK
    SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
};

}  // namespace gui
