#pragma once

#include <string>

namespace util {

// How the bytes a child writes become text: "auto" takes what is valid UTF-8 as UTF-8 and every
// other run of bytes in the ANSI code page, "utf-8" only UTF-8 (invalid bytes show as U+FFFD),
// "ansi" and "oem" the system's ANSI or OEM code page.
class OutputEncoding {
public:
    enum class Mode { Auto, Utf8, Ansi, Oem };

    // One of the names above in any letter case; false for anything else.
    static bool Parse(const std::wstring& text, Mode& mode);
    static const wchar_t* Name(Mode mode);
};

}  // namespace util
