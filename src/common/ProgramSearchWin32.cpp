// The search as this program makes it on Windows: its own folders, PATH, and the file system.
#include "common/ProgramSearch.h"

#include <windows.h>

#include <vector>

#include "win32/System.h"

namespace {

std::wstring Text(const String& s) {
    return s.IsNull() ? std::wstring() : std::wstring(s.GetBuffer());
}

std::wstring Folder(const String& file) {
    std::wstring path = Text(file);
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring PathVariable() {
    DWORD needed = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (needed == 0) {
        return std::wstring();
    }
    std::vector<wchar_t> value(needed);
    DWORD length = GetEnvironmentVariableW(L"PATH", value.data(), needed);
    return length > 0 && length < needed ? std::wstring(value.data()) : std::wstring();
}

bool IsFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

ProgramSearch ProgramSearch::ForThisProgram() {
    ProgramSearch search(&IsFile);
    search.SetFolders(Folder(System::ModulePath()), Text(System::SystemFolder()), Text(System::WindowsFolder()));
    search.SetPath(PathVariable());
    return search;
}
