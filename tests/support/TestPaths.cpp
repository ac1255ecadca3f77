#include "support/TestPaths.h"

#include <windows.h>

namespace testsupport {

std::wstring ExecutableDirectory() {
    wchar_t path[MAX_PATH];
    std::wstring full(path, GetModuleFileNameW(nullptr, path, MAX_PATH));  // a full path: it has a folder
    return full.substr(0, full.find_last_of(L"\\/"));
}

std::wstring HelperPath(const std::wstring& fileName) { return ExecutableDirectory() + L"\\" + fileName; }

}  // namespace testsupport
