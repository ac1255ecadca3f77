// Stands in for a text editor: records how it was started in the file named by the environment
// variable TARNWICK_EDITOR_LOG (UTF-8): the command line on the first line, then one line per
// argument as the C runtime split it.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t log[MAX_PATH * 2] = {};
    if (!GetEnvironmentVariableW(L"TARNWICK_EDITOR_LOG", log, MAX_PATH * 2)) {
        return 2;
    }
    std::string record = Utf8(GetCommandLineW()) + "\n";
    for (int i = 1; i < argc; ++i) {
        record += Utf8(argv[i]) + "\n";
    }
    // Written under a temporary name and renamed, so that a waiting test never reads half a record.
    std::wstring temporary = std::wstring(log) + L".part";
    HANDLE file =
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 3;
    }
    DWORD written = 0;
    WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(temporary.c_str(), log, MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
