// UTF-8 conversion shared by every platform, so that files and the network read the same everywhere.
#include "util/Platform.h"

namespace platform {
namespace {

constexpr bool kUtf16 = sizeof(wchar_t) == 2;

void AppendUtf8(std::string& out, unsigned long cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

void AppendCodePoint(std::wstring& out, unsigned long cp) {
    if (kUtf16 && cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<wchar_t>(cp);
    }
}

std::string WideToUtf8(const wchar_t* text, size_t count) {
    std::string out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        unsigned long cp = static_cast<unsigned long>(text[i]) & (kUtf16 ? 0xFFFFul : 0xFFFFFFFFul);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < count) {
            unsigned long low = static_cast<unsigned long>(text[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
        }
        AppendUtf8(out, cp);
    }
    return out;
}

bool Utf8ToWide(const char* bytes, size_t count, std::wstring& out) {
    out.clear();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
    size_t i = 0;
    while (i < count) {
        unsigned char b = p[i];
        unsigned long cp;
        size_t extra;
        if (b < 0x80) {
            cp = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            extra = 3;
        } else {
            out.clear();
            return false;
        }
        if (extra >= count - i) {  // the sequence runs past the end
            out.clear();
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            unsigned char c = p[i + k];
            if ((c & 0xC0) != 0x80) {
                out.clear();
                return false;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        // Reject overlong forms, surrogates and values beyond Unicode.
        static const unsigned long kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.clear();
            return false;
        }
        AppendCodePoint(out, cp);
        i += extra + 1;
    }
    return true;
}

}  // namespace platform
