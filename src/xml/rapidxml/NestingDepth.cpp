#include "xml/rapidxml/NestingDepth.h"

#include <cwchar>

namespace xml {
namespace rapidxml {
namespace {

// Position just after terminator, or the end of text when it never comes.
const wchar_t* SkipPast(const wchar_t* text, const wchar_t* terminator) {
    const wchar_t* found = std::wcsstr(text, terminator);
    return found ? found + std::wcslen(terminator) : text + std::wcslen(text);
}

bool StartsWith(const wchar_t* text, const wchar_t* prefix) {
    return std::wcsncmp(text, prefix, std::wcslen(prefix)) == 0;
}

// Position just after the quoted text that starts at p, or the end of text when it is never closed.
const wchar_t* SkipQuoted(const wchar_t* p) {
    const wchar_t* close = std::wcschr(p + 1, *p);
    return close ? close + 1 : p + std::wcslen(p);
}

// Skips the inside of a tag up to and including its '>' (quoted attribute values may hold '>').
// selfClosing tells whether the tag ended with "/>".
const wchar_t* SkipTag(const wchar_t* p, bool& selfClosing) {
    selfClosing = false;
    while (*p && *p != L'>') {
        if (*p == L'"' || *p == L'\'') {
            p = SkipQuoted(p);
            continue;
        }
        ++p;
    }
    if (*p == L'>') {
        selfClosing = p[-1] == L'/';
        ++p;
    }
    return p;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

bool IsXmlDeclaration(const wchar_t* p) {
    return (p[2] == L'x' || p[2] == L'X') && (p[3] == L'm' || p[3] == L'M') && (p[4] == L'l' || p[4] == L'L') &&
           IsBlank(p[5]);
}

// A declaration's attributes are quoted and may hold "?>".
const wchar_t* SkipDeclaration(const wchar_t* p) {
    while (*p && !(p[0] == L'?' && p[1] == L'>')) {
        if (*p == L'"' || *p == L'\'') {
            p = SkipQuoted(p);
            continue;
        }
        ++p;
    }
    return *p ? p + 2 : p;
}

// A DOCTYPE ends at the first '>' outside bracketed parts, which nest.
const wchar_t* SkipDoctype(const wchar_t* p) {
    while (*p && *p != L'>') {
        if (*p == L'[') {
            int depth = 1;
            for (++p; *p && depth > 0; ++p) {
                depth += *p == L'[' ? 1 : (*p == L']' ? -1 : 0);
            }
            continue;
        }
        ++p;
    }
    return *p ? p + 1 : p;
}

}  // namespace

bool NestingDepth::Exceeds(const wchar_t* text, size_t limit) {
    size_t depth = 0;
    const wchar_t* p = text;
    while (p && *p) {
        if (*p != L'<') {
            ++p;
            continue;
        }
        if (StartsWith(p, L"<!--")) {
            p = SkipPast(p + 4, L"-->");
        } else if (StartsWith(p, L"<![CDATA[")) {
            p = SkipPast(p + 9, L"]]>");
        } else if (StartsWith(p, L"<?")) {
            p = IsXmlDeclaration(p) ? SkipDeclaration(p + 6) : SkipPast(p + 2, L"?>");
        } else if (StartsWith(p, L"<!DOCTYPE") && IsBlank(p[9])) {
            p = SkipDoctype(p + 10);
        } else if (StartsWith(p, L"<!")) {
            p = SkipPast(p + 2, L">");
        } else if (p[1] == L'/') {
            bool selfClosing = false;
            p = SkipTag(p + 2, selfClosing);
            depth = depth > 0 ? depth - 1 : 0;
        } else {
            bool selfClosing = false;
            if (++depth > limit) {
                return true;
            }
            p = SkipTag(p + 1, selfClosing);
            if (selfClosing) {
                --depth;
            }
        }
    }
    return false;
}

}  // namespace rapidxml
}  // namespace xml
