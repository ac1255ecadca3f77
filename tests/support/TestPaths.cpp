#include "support/TestPaths.h"

#include <windows.h>

namespace testsupport {

std::wstring ExecutableDirectory() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path, n);
    size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : full.substr(0, slash);
}

std::wstring HelperPath(const std::wstring& fileName) { return ExecutableDirectory() + L"\\" + fileName; }

}  // namespace testsupport
