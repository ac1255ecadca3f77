// Stands in for a Java runtime's java.exe: reports what a Java launch hands it.
#include <windows.h>

#include <string>

namespace {

void Line(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');  // n = 0 for an empty text: nothing is written
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    bytes += "\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

int wmain() {
    Line(std::wstring(L"cmdline=") + GetCommandLineW());
    wchar_t value[32768];
    DWORD n = GetEnvironmentVariableW(L"CLASSPATH", value, 32768);
    Line(std::wstring(L"CLASSPATH=") + (n ? std::wstring(value, n) : std::wstring(L"<none>")));
    wchar_t* strings = GetEnvironmentStringsW();
    Line(std::wstring(L"first=") + strings);
    FreeEnvironmentStringsW(strings);
    wchar_t directory[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, directory);
    Line(std::wstring(L"cwd=") + directory);
    // The class path entries that cannot be found from here, as the runtime would look for them.
    int missing = 0;
    std::wstring rest = std::wstring(n ? value : L"") + L";";
    for (size_t at = 0, end; (end = rest.find(L';', at)) != std::wstring::npos; at = end + 1) {
        if (end > at && GetFileAttributesW(rest.substr(at, end - at).c_str()) == INVALID_FILE_ATTRIBUTES) {
            ++missing;
        }
    }
    Line(L"missing=" + std::to_wstring(missing));
    return 0;
}
