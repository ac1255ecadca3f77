#pragma once

#include <windows.h>

#include "common/IFileWriter.h"

// Log files on disk: opened for appending with FILE_SHARE_READ | FILE_SHARE_DELETE, so that users
// can follow a file while it is written and the rotation can rename it.
class Win32FileWriter : public IFileWriter {
public:
    Win32FileWriter();
    ~Win32FileWriter() override;
    Win32FileWriter(const Win32FileWriter&) = delete;
    Win32FileWriter& operator=(const Win32FileWriter&) = delete;

    bool Open(const std::wstring& path, std::wstring& error) override;
    void Close() override;
    bool IsOpen() const override { return file != INVALID_HANDLE_VALUE; }
    uint64_t Size() const override { return size; }
    bool Write(const char* bytes, size_t count, std::wstring& error) override;
    bool Rename(const std::wstring& from, const std::wstring& to, std::wstring& error) override;
    bool Remove(const std::wstring& path, std::wstring& error) override;
    bool Exists(const std::wstring& path) const override;

    // Creates path's folder and the folders above it where missing.
    static bool CreateFolderOf(const std::wstring& path);

private:
    static std::wstring LastErrorText();

    HANDLE file;
    uint64_t size;
};
