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
    // Narrows units that are all printable ASCII or tabs into out; false (out partly filled) at
    // the first that is not: text beyond ASCII, or a control or escape a console would act on
    // (the caller must carry those out).
    static bool NarrowPlainLine(const wchar_t* text, size_t count, char* out);
    // How many of the bytes at bytes are printable ASCII or tabs, from the first.
    static size_t PlainAsciiLength(const char* bytes, size_t count);
    // The same, copying them to out on the way. out needs room for count bytes: those past the
    // plain run are overwritten with anything.
    static size_t CopyPlainAscii(const char* bytes, size_t count, char* out);
};
