#include "xml/rapidxml/CharacterReferences.h"

#include "util/Platform.h"

namespace xml {
namespace rapidxml {
namespace {

constexpr unsigned long kLastCodePoint = 0x10FFFF;
constexpr unsigned long kReplacement = 0xFFFD;

// The parser takes the hexadecimal digits in decimal references too (&#1a; is 20).
int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    return -1;
}

// Reads a reference starting at text[at] ("&#"); returns its length, or 0 when the parser would
// not take it for one. Codes beyond U+10FFFF stop growing there, so nothing wraps.
size_t ReadReference(const std::wstring& text, size_t at, unsigned long& code) {
    size_t i = at + 2;
    const bool hex = i < text.size() && text[i] == L'x';  // the parser knows the lower-case form only
    i += hex ? 1 : 0;
    code = 0;
    for (; i < text.size() && DigitValue(text[i]) >= 0; ++i) {
        code = code * (hex ? 16 : 10) + static_cast<unsigned long>(DigitValue(text[i]));
        code = code > kLastCodePoint ? kLastCodePoint + 1 : code;
    }
    return i < text.size() && text[i] == L';' ? i + 1 - at : 0;
}

bool IsCharacter(unsigned long code) {
    return code != 0 && code <= kLastCodePoint && !(code >= 0xD800 && code <= 0xDFFF);
}

}  // namespace

std::wstring CharacterReferences::ExpandNonAscii(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        unsigned long code = 0;
        size_t length =
            text[i] == L'&' && i + 1 < text.size() && text[i + 1] == L'#' ? ReadReference(text, i, code) : 0;
        if (length > 0 && (code >= 0x80 || !IsCharacter(code))) {
            platform::AppendCodePoint(out, IsCharacter(code) ? code : kReplacement);
            i += length;
        } else {
            out += text[i++];
        }
    }
    return out;
}

}  // namespace rapidxml
}  // namespace xml
