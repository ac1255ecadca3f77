#include "util/File.h"

#include <cstdint>
#include <new>
#include <string>

#include "util/Exception.h"
#include "util/SystemError.h"
#include "util/TextCodec.h"

namespace util {

File::File(const wchar_t* path, const wchar_t* className) : handle(nullptr), path(path), encoding(Unknown) {
    this->className = className;
}

File::~File() { Close(); }

void File::Close() {
    // A handle that the system refuses to close stays recorded, as the destructor would find it.
    if (IsOpen() && !CloseHandle(handle)) {
        return;
    }
    handle = nullptr;
}

HANDLE File::OpenFile(DWORD access, DWORD disposition) {
    if (IsOpen()) {
        throw new Exception(L"File::OpenFile()\nFile already oppened");
    }
    if (path.IsEmpty()) {
        throw new Exception(L"File::OpenFile()\nFile path not set");
    }
    handle = CreateFileW(path.GetBuffer(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle;
}

HANDLE File::CreateNew() {
    if (OpenFile(GENERIC_WRITE, CREATE_ALWAYS) == INVALID_HANDLE_VALUE) {
        throw new Exception(L"File::CreateNew()\nFile : %s\n%s", path.GetBuffer(), GetSystemErrorText());
    }
    WriteTheBOM();
    return handle;
}

HANDLE File::ReadFromBeginning() {
    if (OpenFile(GENERIC_READ, OPEN_EXISTING) == INVALID_HANDLE_VALUE) {
        throw new Exception(L"File::ReadFromBeginning()\nFile : %s\n%s", path.GetBuffer(), GetSystemErrorText());
    }
    DetectEncoding();
    SetPointerToBeginning();
    return handle;
}

void File::WriteTheBOM() {
    if (!IsOpen()) {
        throw new Exception(L"File::WriteTheBOM()\nFile handle is null or invalid.");
    }
    std::string mark = TextCodec::Mark(encoding);
    if (!mark.empty()) {
        Write(mark.data(), static_cast<DWORD>(mark.size()));
    }
}

DWORD File::Write(const void* buffer, DWORD count) {
    DWORD written = 0;
    if (!WriteFile(handle, buffer, count, &written, nullptr)) {
        throw new Exception(L"File::Write()\nFile : %s\n%s", path.GetBuffer(), GetSystemErrorText());
    }
    return written;
}

DWORD File::Read(void* buffer, DWORD count, DWORD* read) {
    DWORD done = 0;
    if (!ReadFile(handle, buffer, count, &done, nullptr)) {
        throw new Exception(L"File::Read()\nFile : %s\n%s", path.GetBuffer(), GetSystemErrorText());
    }
    if (read) {
        *read = done;
    }
    return done;
}

void File::SetPointerToBeginning() {
    if (SetFilePointer(handle, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        throw new Exception(L"File::SetPointerToBeginning()\nFile : %s\n%s", path.GetBuffer(),
                            GetSystemErrorText());
    }
}

void File::SetPointerToEnd() {
    // A large file's low part may legitimately be INVALID_SET_FILE_POINTER; only the error code tells.
    LONG high = 0;
    SetLastError(NO_ERROR);
    if (SetFilePointer(handle, 0, &high, FILE_END) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        throw new Exception(L"File::SetPointerToEnd()\nFile : %s\n%s", path.GetBuffer(), GetSystemErrorText());
    }
}

DWORD File::GetSize() {
    if (!IsOpen()) {
        throw new Exception(L"File::GetSize()\nHandle for %s is not valid.", path.GetBuffer());
    }
    DWORD high = 0;
    DWORD low = GetFileSize(handle, &high);
    if (high != 0) {
        throw new Exception(L"File::GetSize()\ndwHigh is not 0.");
    }
    return low;
}

char* File::LoadIntoMemory(char** buffer, DWORD* loaded) {
    DWORD size = GetSize();
    // size + 2 must not wrap around where size_t has 32 bits.
    char* bytes = static_cast<size_t>(size) <= SIZE_MAX - 2 ? new (std::nothrow) char[size_t(size) + 2] : nullptr;
    if (bytes == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        throw new Exception(L"File::LoadIntoMemory()\nFile : %s\n%s", path.GetBuffer(), GetSystemErrorText());
    }
    bytes[size] = 0;
    bytes[size_t(size) + 1] = 0;
    *buffer = bytes;
    SetPointerToBeginning();
    DWORD read = Read(bytes, size);
    if (read < size) {
        throw new Exception(L"File::LoadIntoMemory()\nRead %d from a total of %d.", static_cast<int>(read),
                            static_cast<int>(size));
    }
    if (loaded) {
        *loaded = size;
    }
    return bytes;
}

std::string File::LoadIntoString() {
    char* bytes = nullptr;
    DWORD size = 0;
    try {
        LoadIntoMemory(&bytes, &size);
    } catch (...) {
        delete[] bytes;
        throw;
    }
    std::string content(bytes, size);
    delete[] bytes;
    return content;
}

bool File::Delete() {
    if (IsOpen()) {
        throw new Exception(L"File::Delete () - %s is still open.", path.GetBuffer());
    }
    if (path.IsEmpty()) {
        return false;
    }
    return DeleteFileW(path.GetBuffer()) != FALSE;
}

void File::DetectEncoding() {
    SetPointerToBeginning();
    unsigned char start[4] = {};
    DWORD count = 0;
    // A mark has at most four bytes; read until four are there or the file ends.
    while (count < sizeof(start)) {
        DWORD got = Read(start + count, static_cast<DWORD>(sizeof(start) - count));
        if (got == 0) {
            break;
        }
        count += got;
    }
    if (count > 0) {
        encoding = TextCodec::Classify(start, count);
    }
}

}  // namespace util
