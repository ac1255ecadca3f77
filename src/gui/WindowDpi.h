#pragma once

#include <windows.h>

namespace gui {

// The DPI a window is shown at: the system's figure for the window where it has one (per-monitor
// awareness), else the screen's.
int WindowDpi(HWND window);

}  // namespace gui
