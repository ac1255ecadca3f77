#include "xml/rapidxml/CharacterReferences.h"

#include "util/Platform.h"

namespace xml {
namespace rapidxml {
namespace {

constexpr unsigned long kLastCodePoint = 0x10FFFF;

int DigitValue(wchar_t c, bool hex) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (hex && c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    if (hex && c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    return -1;
}

// Reads a reference starting at text[at] ("&#"); returns its length, or 0 when it is not a
// well-formed reference to a code point.
size_t ReadReference(const std::wstring& text, size_t at, unsigned long& code) {
    size_t i = at + 2;
    bool hex = i < text.size() && text[i] == L'x';  // the parser knows the lower-case form only
    if (hex) {
        ++i;
    }
    size_t digitsStart = i;
    code = 0;
    for (; i < text.size() && DigitValue(text[i], hex) >= 0; ++i) {
        code = code * (hex ? 16 : 10) + static_cast<unsigned long>(DigitValue(text[i], hex));
        if (code > kLastCodePoint) {
            return 0;
        }
    }
    if (i == digitsStart || i >= text.size() || text[i] != L';') {
        return 0;
    }
    return i + 1 - at;
}

}  // namespace

std::wstring CharacterReferences::ExpandNonAscii(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        unsigned long code = 0;
        size_t length =
            text[i] == L'&' && i + 1 < text.size() && text[i + 1] == L'#' ? ReadReference(text, i, code) : 0;
        if (length > 0 && code >= 0x80) {
            // A lone surrogate is no character.
            platform::AppendCodePoint(out, code >= 0xD800 && code <= 0xDFFF ? 0xFFFD : code);
            i += length;
        } else {
            out += text[i++];
        }
    }
    return out;
}

}  // namespace rapidxml
}  // namespace xml
