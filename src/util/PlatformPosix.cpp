// Native (non-Windows) builds: Windows-1252 stands for the ANSI code page, messages go to stderr.
#include <cstdio>

#include "util/Platform.h"

namespace platform {
namespace {

// Windows-1252 bytes 0x80-0x9F; the five unassigned ones map to themselves as Windows does.
const wchar_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::wstring AnsiToWide(const char* bytes, size_t count) {
    std::wstring out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        out += (b >= 0x80 && b <= 0x9F) ? kCp1252High[b - 0x80] : static_cast<wchar_t>(b);
    }
    return out;
}

std::wstring OemToWide(const char* bytes, size_t count) {
    return AnsiToWide(bytes, count);
}

void ShowMessage(const wchar_t* text, const wchar_t* title, MessageStyle) {
    std::fprintf(stderr, "%ls: %ls\n", title ? title : L"", text ? text : L"");
}

}  // namespace platform
