#include <windows.h>

#include "util/Platform.h"

namespace platform {

std::wstring AnsiToWide(const char* bytes, size_t count) {
    if (count == 0) {
        return std::wstring();
    }
    int units = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(count), nullptr, 0);
    std::wstring out(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0) {
        MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(count), &out[0], units);
    }
    return out;
}

void ShowMessage(const wchar_t* text, const wchar_t* title, MessageStyle style) {
    UINT flags = style == MessageStyle::Error ? MB_ICONERROR : (MB_ICONEXCLAMATION | MB_SETFOREGROUND);
    MessageBoxW(nullptr, text, title, flags);
}

}  // namespace platform
