#include "gui/WindowPane.h"

namespace gui {

WindowPane::WindowPane(const wchar_t* className) : WindowControl(className) {
    registerClass = true;
}

}  // namespace gui
