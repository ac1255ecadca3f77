#include "support/ScratchDirectory.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "app/LayoutStore.h"

namespace testsupport {
namespace {

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            std::wstring full = folder + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                DeleteFileW(full.c_str());
                // A frame shown on a scratch configuration remembers its layout; a later folder of
                // the same name (process ids come round again) must not start with it.
                LayoutStore::Forget(full);
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

ScratchDirectory::ScratchDirectory() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);  // ends with a backslash
    do {
        path = temp + (L"tnk-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++));
    } while (!CreateDirectoryW(path.c_str(), nullptr));
}

ScratchDirectory::~ScratchDirectory() { RemoveTree(path); }

std::wstring ScratchDirectory::File(const std::wstring& name) const { return path + L"\\" + name; }

std::wstring ScratchDirectory::Write(const std::wstring& name, const std::string& bytes) const {
    std::wstring full = File(name);
    HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    return full;
}

std::string ScratchDirectory::Read(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    return bytes;
}

}  // namespace testsupport
