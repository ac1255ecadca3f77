#include "common/Win32FileWriter.h"

#include "util/SystemError.h"

Win32FileWriter::Win32FileWriter() : file(INVALID_HANDLE_VALUE), size(0) {}

Win32FileWriter::~Win32FileWriter() {
    Close();
}

std::wstring Win32FileWriter::LastErrorText() {
    const wchar_t* text = GetSystemErrorText();
    std::wstring error = text ? text : L"";
    while (!error.empty() && (error.back() == L'\n' || error.back() == L'\r' || error.back() == L' ')) {
        error.pop_back();
    }
    return error;
}

bool Win32FileWriter::CreateFolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash == 0) {
        return true;
    }
    std::wstring folder = path.substr(0, slash);
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    if (folder.size() <= 2 || folder.back() == L':') {
        return false;  // a drive that is not there
    }
    return CreateFolderOf(folder) &&
           (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
}

bool Win32FileWriter::Open(const std::wstring& path, std::wstring& error) {
    Close();
    CreateFolderOf(path);  // a failure shows in the open below
    file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = LastErrorText();
        return false;
    }
    LARGE_INTEGER length = {};
    GetFileSizeEx(file, &length);
    size = static_cast<uint64_t>(length.QuadPart);
    return true;
}

void Win32FileWriter::Close() {
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
    size = 0;
}

bool Win32FileWriter::Write(const char* bytes, size_t count, std::wstring& error) {
    while (count > 0) {
        DWORD written = 0;
        DWORD piece = count > 0x10000000 ? 0x10000000 : static_cast<DWORD>(count);
        if (!WriteFile(file, bytes, piece, &written, nullptr)) {
            error = LastErrorText();
            return false;
        }
        size += written;
        bytes += written;
        count -= written;
    }
    return true;
}

bool Win32FileWriter::Rename(const std::wstring& from, const std::wstring& to, std::wstring& error) {
    if (!MoveFileExW(from.c_str(), to.c_str(), 0)) {
        error = LastErrorText();
        return false;
    }
    return true;
}

bool Win32FileWriter::Remove(const std::wstring& path, std::wstring& error) {
    // Emptied through a handle of our own once it is marked for deletion: freeing a large file's
    // cached pages then costs this thread, not whoever carries out the delete (under Wine the
    // server, which also carries every process's pipe output). A file with another name keeps
    // its contents.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        FILE_DISPOSITION_INFO disposition = {TRUE};
        bool marked = SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition));
        BY_HANDLE_FILE_INFORMATION info = {};
        if (marked && GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1) {
            SetEndOfFile(file);  // the file goes either way
        }
        CloseHandle(file);
        if (marked) {
            return true;
        }
    }
    if (!DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        error = LastErrorText();
        return false;
    }
    return true;
}

bool Win32FileWriter::Exists(const std::wstring& path) const {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
