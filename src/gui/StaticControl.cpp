#include "gui/StaticControl.h"

namespace gui {

StaticControl::StaticControl(const wchar_t* className) : WindowControl(className) {
    windowClassName = L"Static";
    height = 15;
}

}  // namespace gui
