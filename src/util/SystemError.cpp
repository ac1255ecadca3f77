#include <windows.h>

#include "util/SystemError.h"

const wchar_t* GetSystemErrorText() {
    // One buffer per thread: a worker formatting its message never sees another thread's text.
    static thread_local wchar_t buffer[255];
    DWORD error = GetLastError();
    DWORD written = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, 255, nullptr);
    if (written == 0) {
        buffer[0] = L'\0';
    }
    SetLastError(error);
    return buffer;
}
