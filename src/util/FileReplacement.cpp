#include "util/FileReplacement.h"

#include <windows.h>

#include <string>

#include "util/Exception.h"
#include "util/File.h"
#include "util/SystemError.h"

namespace util {

void FileReplacement::Replace(const wchar_t* target, const wchar_t* temporary) {
    const DWORD attributes = GetFileAttributesW(target);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Nothing to replace (or nothing visible): the copy simply takes the name.
        if (!MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            Exception* failure = new Exception(L"FileReplacement::Replace()\nMoving %s to %s\n%s", temporary, target,
                                               GetSystemErrorText());
            DeleteFileW(temporary);
            throw failure;
        }
        return;
    }
    if (ReplaceFileW(target, temporary, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        // Windows carries the attributes over itself; not every implementation of the call does.
        SetFileAttributesW(target, attributes);
        return;
    }
    try {
        RewriteInPlace(target, temporary);
    } catch (Exception* e) {
        Exception* failure =
            new Exception(L"FileReplacement::Replace()\nRewriting %s in place; its new content is kept in %s\n%s",
                          target, temporary, e->GetMessageText().GetBuffer());
        delete e;
        throw failure;
    }
    DeleteFileW(temporary);
}

void FileReplacement::RewriteInPlace(const wchar_t* target, const wchar_t* temporary) {
    File copy(temporary);
    if (copy.OpenFile(GENERIC_READ, OPEN_EXISTING) == INVALID_HANDLE_VALUE) {
        throw new Exception(L"File::OpenFile()\nFile : %s\n%s", temporary, GetSystemErrorText());
    }
    std::string bytes = copy.LoadIntoString();
    // Opened whether or not it still exists: a refused replacement may have moved it aside.
    File file(target);
    if (file.OpenFile(GENERIC_WRITE, OPEN_ALWAYS) == INVALID_HANDLE_VALUE) {
        throw new Exception(L"File::OpenFile()\nFile : %s\n%s", target, GetSystemErrorText());
    }
    file.Write(bytes.data(), static_cast<DWORD>(bytes.size()));
    if (!SetEndOfFile(file.GetHandle()) || !FlushFileBuffers(file.GetHandle())) {
        throw new Exception(L"File::Write()\nFile : %s\n%s", target, GetSystemErrorText());
    }
}

}  // namespace util
