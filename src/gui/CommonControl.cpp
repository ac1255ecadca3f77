#include "gui/CommonControl.h"

#include <commctrl.h>

namespace gui {

bool CommonControl::initialised = false;

CommonControl::CommonControl(const wchar_t* className) : WindowControl(className) {
    if (!initialised) {
        INITCOMMONCONTROLSEX controls = {};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_TREEVIEW_CLASSES;
        initialised = InitCommonControlsEx(&controls) != FALSE;
    }
}

}  // namespace gui
