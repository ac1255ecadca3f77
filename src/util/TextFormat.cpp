#include "util/TextFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cwchar>

#include "util/Platform.h"

namespace util {
namespace {

enum class Length { None, Char, Short, Long, LongLong, IntMax, Size, PtrDiff, LongDouble };

struct Conversion {
    std::string flags;
    int width = -1;
    int precision = -1;
    Length length = Length::None;
    wchar_t conversion = 0;
};

// Parses everything after '%' up to and including the conversion; returns the position after it.
// Without args, a '*' takes no argument.
const wchar_t* ParseConversion(const wchar_t* p, Conversion& conv, va_list* args) {
    while (*p == L'-' || *p == L'+' || *p == L' ' || *p == L'#' || *p == L'0') {
        conv.flags += static_cast<char>(*p++);
    }
    if (*p == L'*') {
        conv.width = args ? va_arg(*args, int) : 0;
        if (conv.width < 0) {
            conv.flags += '-';
            conv.width = -conv.width;
        }
        ++p;
    } else {
        while (*p >= L'0' && *p <= L'9') {
            conv.width = (conv.width < 0 ? 0 : conv.width) * 10 + (*p++ - L'0');
        }
    }
    if (*p == L'.') {
        ++p;
        conv.precision = 0;
        if (*p == L'*') {
            conv.precision = args ? va_arg(*args, int) : 0;
            ++p;
        } else {
            while (*p >= L'0' && *p <= L'9') {
                conv.precision = conv.precision * 10 + (*p++ - L'0');
            }
        }
    }
    if (p[0] == L'h' && p[1] == L'h') {
        conv.length = Length::Char, p += 2;
    } else if (p[0] == L'l' && p[1] == L'l') {
        conv.length = Length::LongLong, p += 2;
    } else if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
        conv.length = Length::LongLong, p += 3;
    } else if (p[0] == L'I' && p[1] == L'3' && p[2] == L'2') {
        p += 3;
    } else {
        switch (*p) {
            case L'h': conv.length = Length::Short, ++p; break;
            case L'l': case L'w': conv.length = Length::Long, ++p; break;
            case L'q': conv.length = Length::LongLong, ++p; break;
            case L'L': conv.length = Length::LongDouble, ++p; break;
            case L'j': conv.length = Length::IntMax, ++p; break;
            case L'z': case L'I': conv.length = Length::Size, ++p; break;
            case L't': conv.length = Length::PtrDiff, ++p; break;
            default: break;
        }
    }
    conv.conversion = *p;
    return *p ? p + 1 : p;
}

std::wstring Widen(const char* ascii) {
    std::wstring out;
    for (; *ascii; ++ascii) {
        out += static_cast<wchar_t>(static_cast<unsigned char>(*ascii));
    }
    return out;
}

// Formats one number with the C library's narrow snprintf, whose integer and float output is
// the same everywhere; only the string conversions differ between runtimes.
template <typename T>
std::wstring FormatNumber(const Conversion& conv, const char* length, char conversion, T value) {
    std::string fmt = "%" + conv.flags;
    if (conv.width >= 0) {
        fmt += std::to_string(conv.width);
    }
    if (conv.precision >= 0) {
        fmt += "." + std::to_string(conv.precision);
    }
    fmt += length;
    fmt += conversion;
    char small[128];
    int needed = std::snprintf(small, sizeof(small), fmt.c_str(), value);
    if (needed < 0) {
        return std::wstring();
    }
    if (static_cast<size_t>(needed) < sizeof(small)) {
        return Widen(small);
    }
    std::string big(static_cast<size_t>(needed) + 1, '\0');
    std::snprintf(&big[0], big.size(), fmt.c_str(), value);
    return Widen(big.c_str());
}

std::wstring Pad(std::wstring text, const Conversion& conv) {
    if (conv.width >= 0 && text.size() < static_cast<size_t>(conv.width)) {
        size_t fill = static_cast<size_t>(conv.width) - text.size();
        if (conv.flags.find('-') != std::string::npos) {
            text.append(fill, L' ');
        } else {
            text.insert(0, fill, L' ');
        }
    }
    return text;
}

std::wstring FormatSigned(const Conversion& conv, va_list& args) {
    long long value;
    switch (conv.length) {
        case Length::Char: value = static_cast<signed char>(va_arg(args, int)); break;
        case Length::Short: value = static_cast<short>(va_arg(args, int)); break;
        case Length::Long: value = va_arg(args, long); break;
        case Length::LongLong: case Length::LongDouble: value = va_arg(args, long long); break;
        case Length::IntMax: value = static_cast<long long>(va_arg(args, intmax_t)); break;
        case Length::Size: value = static_cast<long long>(va_arg(args, ptrdiff_t)); break;
        case Length::PtrDiff: value = static_cast<long long>(va_arg(args, ptrdiff_t)); break;
        default: value = va_arg(args, int); break;
    }
    return FormatNumber(conv, "ll", 'd', value);
}

std::wstring FormatUnsigned(const Conversion& conv, va_list& args) {
    unsigned long long value;
    switch (conv.length) {
        case Length::Char: value = static_cast<unsigned char>(va_arg(args, unsigned int)); break;
        case Length::Short: value = static_cast<unsigned short>(va_arg(args, unsigned int)); break;
        case Length::Long: value = va_arg(args, unsigned long); break;
        case Length::LongLong: case Length::LongDouble: value = va_arg(args, unsigned long long); break;
        case Length::IntMax: value = static_cast<unsigned long long>(va_arg(args, uintmax_t)); break;
        case Length::Size: case Length::PtrDiff: value = va_arg(args, size_t); break;
        default: value = va_arg(args, unsigned int); break;
    }
    return FormatNumber(conv, "ll", static_cast<char>(conv.conversion), value);
}

std::wstring FormatString(const Conversion& conv, va_list& args) {
    bool narrow = conv.length == Length::Short || conv.conversion == L'S';
    std::wstring text;
    if (narrow) {
        const char* s = va_arg(args, const char*);
        if (s) {
            size_t n = 0;
            while (s[n] && (conv.precision < 0 || n < static_cast<size_t>(conv.precision))) {
                ++n;
            }
            text = platform::AnsiToWide(s, n);
        }
    } else {
        const wchar_t* s = va_arg(args, const wchar_t*);
        if (s) {
            size_t n = 0;
            while (s[n] && (conv.precision < 0 || n < static_cast<size_t>(conv.precision))) {
                ++n;
            }
            text.assign(s, n);
        }
    }
    return Pad(text, conv);
}

std::wstring FormatChar(const Conversion& conv, va_list& args) {
    int value = va_arg(args, int);
    std::wstring text;
    if (conv.length == Length::Short || conv.conversion == L'C') {
        char c = static_cast<char>(value);
        text = platform::AnsiToWide(&c, 1);
    } else {
        text.assign(1, static_cast<wchar_t>(value));
    }
    return Pad(text, conv);
}

std::wstring FormatFloat(const Conversion& conv, va_list& args) {
    char conversion = static_cast<char>(conv.conversion);
    if (conv.length == Length::LongDouble) {
        return FormatNumber(conv, "L", conversion, va_arg(args, long double));
    }
    return FormatNumber(conv, "", conversion, va_arg(args, double));
}

std::wstring FormatOne(const Conversion& conv, va_list& args) {
    switch (conv.conversion) {
        case L'd': case L'i': return FormatSigned(conv, args);
        case L'u': case L'o': case L'x': case L'X': return FormatUnsigned(conv, args);
        case L's': case L'S': return FormatString(conv, args);
        case L'c': case L'C': return FormatChar(conv, args);
        case L'p': {
            Conversion hex = conv;
            hex.flags.clear();
            hex.width = static_cast<int>(sizeof(void*) * 2);
            hex.flags = "0";
            return FormatNumber(hex, "ll", 'X',
                                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(va_arg(args, void*))));
        }
        case L'f': case L'F': case L'e': case L'E': case L'g': case L'G': case L'a': case L'A':
            return FormatFloat(conv, args);
        case L'%': return L"%";
        default: return std::wstring();
    }
}

bool IsKnown(wchar_t conversion) { return conversion && std::wcschr(L"diuoxXsScCpfFeEgGaA%", conversion) != nullptr; }

}  // namespace

std::wstring FormatText(const wchar_t* format, va_list args) {
    std::wstring out;
    if (!format) {
        return out;
    }
    va_list ap;
    va_copy(ap, args);
    // An unknown conversion has no known argument size: it is printed as written, and so is every
    // later one, since the arguments after it can no longer be told apart.
    bool takeArguments = true;
    for (const wchar_t* p = format; *p;) {
        if (*p != L'%') {
            out += *p++;
            continue;
        }
        Conversion conv;
        const wchar_t* start = p;
        p = ParseConversion(start + 1, conv, nullptr);  // first only to learn the conversion
        if (conv.conversion == 0) {
            break;  // a lone '%' at the end
        }
        takeArguments = takeArguments && IsKnown(conv.conversion);
        if (takeArguments) {
            conv = Conversion();
            ParseConversion(start + 1, conv, &ap);
            out += FormatOne(conv, ap);
        } else {
            out += conv.conversion == L'%' ? std::wstring(L"%") : std::wstring(start, p);
        }
    }
    va_end(ap);
    return out;
}

}  // namespace util
