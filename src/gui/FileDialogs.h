#pragma once

#include <windows.h>

#include "util/String.h"

namespace gui {

// The system's open dialog for a configuration file. On confirmation the chosen path goes to path
// and the result is 1; on cancel or error the result is 0 and path is left alone.
int ShowOpenFileDialog(HWND owner, String& path);
// The system's save dialog for a text file, which asks before it overwrites a file; as above.
// Neither dialog moves the program's current directory.
int ShowSaveFileDialog(HWND owner, String& path);

}  // namespace gui
