#pragma once

#include <cstddef>

// Scans over a child's output that run for every byte it writes. The C library's versions of
// these go one character at a time, which costs more than reading the pipe does; these go
// sixteen bytes at a time where the processor has SSE2 (every 64-bit one).
class TextScan {
public:
    // The first zero byte of bytes[0, count), or nullptr.
    static const char* FindZeroByte(const char* bytes, size_t count);
    // Units before the terminating zero, as wcslen.
    static size_t WideLength(const wchar_t* text);
    // Widens bytes that are all ASCII into out; false (out partly filled) at the first byte that is not.
    static bool WidenAscii(const char* bytes, size_t count, wchar_t* out);
    // Widens the ASCII bytes that bytes starts with into out and returns how many there are. out
    // needs room for count units: the units past that run are overwritten with anything.
    static size_t WidenAsciiRun(const char* bytes, size_t count, wchar_t* out);
    // Narrows units that are all ASCII into out; false (out partly filled) at the first unit that
    // is not, or that is a carriage return (a return rewrites a line: the caller must look first).
    static bool NarrowAsciiLine(const wchar_t* text, size_t count, char* out);
};
