#pragma once

#include <cstdarg>
#include <cstddef>

#include "util/Object.h"

// The program's UTF-16 string (wide characters). A null String (no text at all) differs from an
// empty one: IsEmpty() is true for both, Equals(nullptr) only for the null one.
class String : public Object {
public:
    String();
    String(const wchar_t* source);  // NOLINT: implicit by design, Strings are built from literals
    String(const String& other);
    String(String&& other) noexcept;
    // Copies count bytes of 8-bit text in the ANSI code page and converts them.
    String(const char* bytes, size_t count);
    ~String() override;

    String& operator=(const wchar_t* source);
    String& operator=(String other);

    // Converts zero-terminated 8-bit text in the system ANSI code page.
    void AssignAnsi(const char* bytes);

    // printf-style formatting; "%s" always takes wide text, a null argument gives empty text.
    const wchar_t* Format(const wchar_t* format, ...);
    const wchar_t* FormatV(const wchar_t* format, va_list args);
    void Append(const wchar_t* source);
    void Append(const String& source) { Append(source.text); }
    void AppendFormat(const wchar_t* format, ...);

    const wchar_t* GetBuffer() const { return text; }
    int GetLength() const { return text ? static_cast<int>(length) : 0; }
    bool IsNull() const { return text == nullptr; }
    bool IsEmpty() const { return text == nullptr || length == 0; }

    bool Equals(const wchar_t* other) const;
    bool Equals(const String& other) const;
    int FindLast(const wchar_t* what) const;
    // Copies count units from start into target (count -1: to the end). False when start is
    // beyond the length; target may be this String.
    bool SubString(String& target, int start, int count) const;
    void Truncate(int index);
    bool EndsWith(const wchar_t* suffix) const;
    bool EndsWithNoCase(const wchar_t* suffix) const;
    // Equals with the letters A-Z matched in either case (other letters keep their case).
    bool EqualsNoCase(const wchar_t* other) const;
    // Replaces every non-overlapping occurrence, left to right; returns how many.
    int Replace(const wchar_t* from, const wchar_t* to);
    // Splits at separator into a new array of count + 1 Strings (the last null) owned by the
    // caller (delete[]). False for a null String.
    bool Split(const wchar_t* separator, String** parts, int* count) const;
    // UTF-8 form of the text, valid until the String changes or the next call; null for null.
    const char* GetUTF8();

    bool operator<(const String& other) const;

private:
    void Assign(const wchar_t* source, size_t count);
    void Release();

    wchar_t* text;
    char* utf8;
    size_t length;
};
