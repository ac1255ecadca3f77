#include "win32/System.h"

#include <windows.h>

#include <vector>

#include "util/Exception.h"

namespace {

// Calls a system function that fills a buffer and returns the length it needs when the buffer
// is too small (counting the terminating null), else the length written.
template <typename Fill>
String FolderFrom(Fill fill) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 4; ++attempt) {
        UINT length = fill(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0) {
            return String();
        }
        if (length < buffer.size()) {
            return String(buffer.data());
        }
        buffer.resize(length + 1);
    }
    return String();
}

}  // namespace

bool System::Is64Bit() {
#ifdef _WIN64
    return true;
#else
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64)) {
        throw new Exception(L"System::Is64Bit()\nIsWow64Process failed");
    }
    return wow64 != FALSE;
#endif
}

String System::ModulePath() {
    return GrowingText([](wchar_t* buffer, unsigned long size) { return GetModuleFileNameW(nullptr, buffer, size); });
}

String System::GrowingText(const Fill& fill) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        unsigned long length = fill(buffer.data(), static_cast<unsigned long>(buffer.size()));
        if (length == 0) {
            return String();
        }
        if (length < buffer.size() - 1) {
            return String(buffer.data());
        }
        if (buffer.size() >= 65536) {
            return String();  // longer than any path the system has
        }
        buffer.resize(buffer.size() * 2);
    }
}

String System::SystemFolder() {
    return FolderFrom([](wchar_t* buffer, UINT size) { return GetSystemDirectoryW(buffer, size); });
}

String System::WindowsFolder() {
    return FolderFrom([](wchar_t* buffer, UINT size) { return GetWindowsDirectoryW(buffer, size); });
}
