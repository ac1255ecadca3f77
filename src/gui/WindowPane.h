#pragma once

#include "gui/WindowControl.h"

namespace gui {

// Base of panes that host and lay out other controls. Its window class is the framework's, so the
// notifications of the hosted controls reach the pane's handlers.
class WindowPane : public WindowControl {
public:
    explicit WindowPane(const wchar_t* className = L"WindowPane");
};

}  // namespace gui
