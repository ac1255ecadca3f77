#pragma once

#include <windows.h>

#include <string>

namespace gui {

// Puts text on the clipboard as Unicode text, owned by window. False when the clipboard could
// not be had (another program holds it) or the text is empty.
bool PutTextOnClipboard(HWND window, const std::wstring& text);

}  // namespace gui
