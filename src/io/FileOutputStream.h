#pragma once

#include <cstdint>

#include "io/OutputStreamBase.h"
#include "util/File.h"

namespace io {

// Bytes written straight into a file. The file is created (or truncated) by the constructor,
// before anything is written, and closed by the destructor or Close.
class FileOutputStream : public OutputStreamBase {
public:
    // Raises File's CreateNew message when the file cannot be created.
    explicit FileOutputStream(const wchar_t* path);
    ~FileOutputStream() override;

    // Starts the file again, empty.
    void Reset() override;
    // Raises "File::Write()\nFile : %s\n%s" when the bytes cannot be written.
    void Write(const void* data, uint32_t n) override;
    // Closes the file; later writes fail.
    void Close();
    // The system's text for the last write that failed; empty while none has. Kept for callers
    // whose writes go through code that swallows the exception (a download's sink).
    const String& GetWriteFailure() const { return writeFailure; }

private:
    util::File file;
    String writeFailure;
};

}  // namespace io
