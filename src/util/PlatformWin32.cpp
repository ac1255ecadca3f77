#include <windows.h>

#include "util/Platform.h"

namespace platform {
namespace {

std::wstring CodePageToWide(UINT codePage, const char* bytes, size_t count) {
    if (count == 0) {
        return std::wstring();
    }
    int units = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(count), nullptr, 0);
    std::wstring out(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0) {
        MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(count), &out[0], units);
    }
    return out;
}

}  // namespace

std::wstring AnsiToWide(const char* bytes, size_t count) {
    return CodePageToWide(CP_ACP, bytes, count);
}

std::wstring OemToWide(const char* bytes, size_t count) {
    return CodePageToWide(CP_OEMCP, bytes, count);
}

void ShowMessage(const wchar_t* text, const wchar_t* title, MessageStyle style) {
    UINT flags = style == MessageStyle::Error ? MB_ICONERROR : (MB_ICONEXCLAMATION | MB_SETFOREGROUND);
    MessageBoxW(nullptr, text, title, flags);
}

}  // namespace platform
