#pragma once

#include "util/File.h"

namespace util {

// A file that text lines are appended to, in the file's encoding.
class TextFile : public File {
public:
    explicit TextFile(const wchar_t* path = nullptr);
    ~TextFile() override;

    // Appends text and "\r\n" at the end of the file: UTF-8 for Ansi and UTF8 files, code units
    // in the mark's order for UTF-16 and UTF-32 files, UTF-16LE when the encoding is Unknown.
    void WriteLine(const wchar_t* text);
};

}  // namespace util
