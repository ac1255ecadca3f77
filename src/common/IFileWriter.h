#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The few file operations a log file needs, so that its rotation is tested without a disk that
// fails. Every failing call gives the system's text for the failure in error.
class IFileWriter {
public:
    virtual ~IFileWriter() = default;

    // Opens path for appending, creating the file and its folder when missing; the file may be
    // read, renamed and deleted by others meanwhile. Size() is then the file's current size.
    virtual bool Open(const std::wstring& path, std::wstring& error) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual uint64_t Size() const = 0;
    virtual bool Write(const char* bytes, size_t count, std::wstring& error) = 0;
    // Renames from to to; fails when to exists.
    virtual bool Rename(const std::wstring& from, const std::wstring& to, std::wstring& error) = 0;
    // Deletes path; true also when there is no such file.
    virtual bool Remove(const std::wstring& path, std::wstring& error) = 0;
    virtual bool Exists(const std::wstring& path) const = 0;
};
