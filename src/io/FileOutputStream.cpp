#include "io/FileOutputStream.h"

#include "util/Exception.h"
#include "util/SystemError.h"

namespace io {

FileOutputStream::FileOutputStream(const wchar_t* path) : file(path) {
    className = L"FileOutputStream";
    file.CreateNew();
}

FileOutputStream::~FileOutputStream() {
    file.Close();
}

void FileOutputStream::Reset() {
    // The file cannot be deleted while our own handle holds it open.
    file.Close();
    file.Delete();
    file.CreateNew();
    count = 0;
}

void FileOutputStream::Write(const void* data, uint32_t n) {
    if (n == 0) {
        return;
    }
    DWORD written = 0;
    if (!WriteFile(file.GetHandle(), data, n, &written, nullptr)) {
        writeFailure = GetSystemErrorText();
        throw new Exception(L"File::Write()\nFile : %s\n%s", file.GetPath().GetBuffer(), writeFailure.GetBuffer());
    }
    count += n;
}

void FileOutputStream::Close() {
    file.Close();
}

}  // namespace io
