#include "io/FileOutputStream.h"

namespace io {

FileOutputStream::FileOutputStream(const wchar_t* path) : file(path) {
    className = L"FileOutputStream";
    file.CreateNew();
}

FileOutputStream::~FileOutputStream() { file.Close(); }

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
    file.Write(data, n);
    count += n;
}

void FileOutputStream::Close() { file.Close(); }

}  // namespace io
