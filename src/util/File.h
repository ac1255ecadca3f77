#pragma once

#include <windows.h>

#include <string>

#include "util/Encoding.h"
#include "util/Object.h"
#include "util/String.h"

namespace util {

// A thin owner of one Windows file handle, named by a path. Every failing Windows call becomes an
// Exception naming the operation, the path and the system's text; only OpenFile (which leaves
// INVALID_HANDLE_VALUE for the caller to test) and Delete (false) report by result.
class File : public Object {
public:
    // className lets derived classes (TextFile, documents) keep their own name in messages.
    explicit File(const wchar_t* path = nullptr, const wchar_t* className = L"File");
    ~File() override;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    HANDLE OpenFile(DWORD access, DWORD disposition);
    // Opens for writing, replacing any existing file, and writes the mark of the encoding.
    HANDLE CreateNew();
    // Opens an existing file for reading, detects its encoding and rewinds to byte 0.
    HANDLE ReadFromBeginning();
    void WriteTheBOM();
    DWORD Write(const void* buffer, DWORD count);
    // Returns the bytes read (0 at the end of the file), also stored through read when given.
    DWORD Read(void* buffer, DWORD count, DWORD* read = nullptr);
    void SetPointerToBeginning();
    void SetPointerToEnd();
    DWORD GetSize();
    // The whole file in a new buffer (delete[]) followed by two zero bytes; also stored in buffer,
    // which the caller frees even when a short read throws after the allocation. The number of
    // bytes read goes to loaded when given: the file may change size after the read.
    char* LoadIntoMemory(char** buffer, DWORD* loaded = nullptr);
    // The whole file, as LoadIntoMemory reads it.
    std::string LoadIntoString();
    // False when the file could not be deleted; throws while the file is open.
    bool Delete();
    void DetectEncoding();
    // Closes the handle, if any; the object can then open a file again.
    void Close();

    bool IsOpen() const { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    HANDLE GetHandle() const { return handle; }
    const String& GetPath() const { return path; }
    void SetPath(const wchar_t* newPath) { path = newPath; }
    Encoding GetEncoding() const { return encoding; }
    void SetEncoding(Encoding newEncoding) { encoding = newEncoding; }

protected:
    HANDLE handle;
    String path;
    Encoding encoding;
};

}  // namespace util
