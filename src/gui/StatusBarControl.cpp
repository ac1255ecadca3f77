#include "gui/StatusBarControl.h"

#include <commctrl.h>

namespace gui {

StatusBarControl::StatusBarControl() : CommonControl(L"StatusBarControl") {
    windowClassName = STATUSCLASSNAMEW;
    style |= SBARS_SIZEGRIP;
}

}  // namespace gui
