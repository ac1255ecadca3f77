#pragma once

// The few services that strings and exceptions need from the operating system.
// Windows uses Win32; other systems (native builds for sanitizers and fuzzing) take
// Windows-1252 as the ANSI code page and encode UTF-8 themselves.
#include <cstddef>
#include <string>

namespace platform {

// 8-bit text in the system ANSI code page to wide text.
std::wstring AnsiToWide(const char* bytes, size_t count);
// 8-bit text in the system OEM code page (that of console programs) to wide text; native builds
// have no OEM code page and take the ANSI stand-in.
std::wstring OemToWide(const char* bytes, size_t count);

// Wide text to UTF-8 (invalid surrogates become U+FFFD).
std::string WideToUtf8(const wchar_t* text, size_t count);

// UTF-8 to wide text; returns false (and leaves out empty) when the bytes are not valid UTF-8.
bool Utf8ToWide(const char* bytes, size_t count, std::wstring& out);

// Appends one code point (at most U+10FFFF) to wide text, as a surrogate pair where wchar_t has 16 bits.
void AppendCodePoint(std::wstring& out, unsigned long codePoint);

// A modal message box without owner; elsewhere the text goes to standard error.
enum class MessageStyle { Error, Exclamation };
void ShowMessage(const wchar_t* text, const wchar_t* title, MessageStyle style);

}  // namespace platform
