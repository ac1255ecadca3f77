#include "util/LinkFinder.h"

#include <string>

namespace util {

namespace {

inline wchar_t Lower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
}

inline bool IsAlphanumeric(wchar_t c) {
    c = Lower(c);
    return (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9');
}

bool IsTrailingPunctuation(wchar_t c) {
    return c == L'.' || c == L',' || c == L':' || c == L';' || c == L'!' || c == L'?';
}

// Which kind of bracket c is (0 round, 1 square, 2 curly) and whether it opens; false for others.
bool Bracket(wchar_t c, int& kind, bool& opens) {
    static const wchar_t pairs[] = L"()[]{}";
    for (int i = 0; i < 6; ++i) {
        if (c == pairs[i]) {
            kind = i / 2;
            opens = i % 2 == 0;
            return true;
        }
    }
    return false;
}

}  // namespace

size_t LinkFinder::SchemeAt(const std::wstring& text, size_t at) {
    static const wchar_t* const schemes[] = {L"https://", L"http://"};
    for (const wchar_t* scheme : schemes) {
        size_t length = std::char_traits<wchar_t>::length(scheme);
        if (text.size() - at < length) {
            continue;
        }
        size_t i = 0;
        while (i < length && Lower(text[at + i]) == scheme[i]) {
            ++i;
        }
        if (i == length) {
            return length;
        }
    }
    return 0;
}

bool LinkFinder::EndsAddress(wchar_t c) {
    if (c <= L' ' || c == 0x7F || (c >= 0x80 && c <= 0x9F)) {
        return true;  // white space and control characters
    }
    switch (c) {
        case L'"':
        case L'\'':
        case L'`':
        case L'<':
        case L'>':
        case 0xA0:  // no-break space
        case 0x2028:
        case 0x2029:
        case 0x3000:
        case 0xFEFF:
        case 0x201C:  // typographic quotes
        case 0x201D:
        case 0x00AB:
        case 0x00BB:
            return true;
        default:
            return c >= 0x2000 && c <= 0x200B;  // the spaces of typesetting
    }
}

size_t LinkFinder::AddressEnd(const std::wstring& text, size_t afterScheme) {
    // Closing brackets less opening ones of each kind in the address so far, counted once: a
    // line of brackets must not be counted again for each one trimmed.
    long excess[3] = {0, 0, 0};
    int kind = 0;
    bool opens = false;
    size_t end = afterScheme;
    while (end < text.size() && !EndsAddress(text[end])) {
        if (Bracket(text[end], kind, opens)) {
            excess[kind] += opens ? -1 : 1;
        }
        ++end;
    }
    for (bool trimmed = true; trimmed && end > afterScheme;) {
        wchar_t last = text[end - 1];
        bool closing = Bracket(last, kind, opens) && !opens;
        // A closing bracket with no opening one inside the address belongs to the text around it.
        trimmed = IsTrailingPunctuation(last) || (closing && excess[kind] > 0);
        if (trimmed && closing) {
            --excess[kind];
        }
        end -= trimmed ? 1 : 0;
    }
    return end;
}

std::vector<LinkSpan> LinkFinder::Find(const std::wstring& text) {
    std::vector<LinkSpan> links;
    for (size_t at = 0; at < text.size(); ++at) {
        if (Lower(text[at]) != L'h' || (at > 0 && IsAlphanumeric(text[at - 1]))) {
            continue;
        }
        size_t host = at + SchemeAt(text, at);
        // A host begins with a letter or digit, an IPv6 address in brackets, or a letter of
        // another script.
        if (host == at || host >= text.size() ||
            !(IsAlphanumeric(text[host]) || text[host] == L'[' || text[host] > 0xFF)) {
            continue;
        }
        size_t end = AddressEnd(text, host);
        if (end > host) {
            links.push_back({at, end - at});
            at = end - 1;
        }
    }
    return links;
}

bool LinkFinder::At(const std::wstring& text, size_t column, LinkSpan& link) {
    for (const LinkSpan& found : Find(text)) {
        if (column >= found.start && column < found.start + found.length) {
            link = found;
            return true;
        }
    }
    return false;
}

}  // namespace util
