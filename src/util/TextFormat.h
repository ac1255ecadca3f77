#pragma once

// printf-style formatting into wide text that reads the same with every C runtime:
// "%s" takes a wide string (as Microsoft's wide functions do), "%hs" and "%S" a narrow one in
// the ANSI code page, "%c" a wide character. A null string argument formats as empty text.
// Supported: flags -+ #0, width and precision (also *), lengths hh h l ll L q j z t I I32 I64,
// conversions d i u o x X c C s S p f F e E g G a A and %%. An unknown conversion is printed as
// written, and so is every later one: the size of its argument is unknown.
#include <cstdarg>
#include <string>

namespace util {

std::wstring FormatText(const wchar_t* format, va_list args);

}  // namespace util
