#include "xml/rapidxml/NestingDepth.h"

#include <cstring>

#include "xml/rapidxml/RapidXML.h"

namespace xml {
namespace rapidxml {
namespace {

using Tables = ::rapidxml::internal::lookup_tables<0>;

unsigned char Byte(char c) { return static_cast<unsigned char>(c); }
bool IsBlank(char c) { return Tables::lookup_whitespace[Byte(c)] != 0; }
bool IsNameChar(char c) { return Tables::lookup_node_name[Byte(c)] != 0; }
bool IsAttributeNameChar(char c) { return Tables::lookup_attribute_name[Byte(c)] != 0; }
bool IsText(char c) { return Tables::lookup_text[Byte(c)] != 0; }

const char* SkipBlanks(const char* p) {
    while (IsBlank(*p)) {
        ++p;
    }
    return p;
}

const char* SkipName(const char* p) {
    while (IsNameChar(*p)) {
        ++p;
    }
    return p;
}

// Position just after terminator; null when the text ends before it.
const char* SkipPast(const char* p, const char* terminator) {
    const char* found = std::strstr(p, terminator);
    return found ? found + std::strlen(terminator) : nullptr;
}

// Attributes up to what follows them; null where the parser reports an error.
const char* SkipAttributes(const char* p) {
    while (IsAttributeNameChar(*p)) {
        ++p;
        while (IsAttributeNameChar(*p)) {
            ++p;
        }
        p = SkipBlanks(p);
        if (*p != '=') {
            return nullptr;
        }
        p = SkipBlanks(p + 1);
        const char quote = *p;
        const unsigned char* value = quote == '"' ? Tables::lookup_attribute_data_2 : Tables::lookup_attribute_data_1;
        if (quote != '"' && quote != '\'') {
            return nullptr;
        }
        for (++p; value[Byte(*p)]; ++p) {
        }
        if (*p != quote) {
            return nullptr;
        }
        p = SkipBlanks(p + 1);
    }
    return p;
}

// A DOCTYPE ends at the first '>' outside bracketed parts, which nest.
const char* SkipDoctype(const char* p) {
    while (*p != '>') {
        if (*p == '\0') {
            return nullptr;
        }
        if (*p++ == '[') {
            for (int depth = 1; depth > 0; ++p) {
                if (*p == '\0') {
                    return nullptr;
                }
                depth += *p == '[' ? 1 : (*p == ']' ? -1 : 0);
            }
        }
    }
    return p + 1;
}

const char* SkipDeclaration(const char* p) {
    p = SkipAttributes(SkipBlanks(p));
    return p && p[0] == '?' && p[1] == '>' ? p + 2 : nullptr;
}

bool IsXmlDeclaration(const char* p) {
    return (p[0] == 'x' || p[0] == 'X') && (p[1] == 'm' || p[1] == 'M') && (p[2] == 'l' || p[2] == 'L') &&
           IsBlank(p[3]);
}

bool StartsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

// A node that is no element, p just after its "<?" or "<!"; null where the parser fails.
const char* SkipOtherNode(const char* p) {
    if (*p == '?') {
        return IsXmlDeclaration(p + 1) ? SkipDeclaration(p + 5) : SkipPast(p + 1, "?>");
    }
    if (StartsWith(p, "!--")) {
        return SkipPast(p + 3, "-->");
    }
    if (StartsWith(p, "![CDATA[")) {
        return SkipPast(p + 8, "]]>");
    }
    if (StartsWith(p, "!DOCTYPE") && IsBlank(p[8])) {
        return SkipDoctype(p + 9);
    }
    return SkipPast(p + 1, ">");
}

// Walks the text as the parser does, counting open elements.
class Walk {
public:
    Walk(const char* text, size_t limit) : p(text), limit(limit) {}

    bool Exceeds() {
        if (StartsWith(p, "\xEF\xBB\xBF")) {
            p += 3;
        }
        while (p) {
            if (depth > 0 && IsText(*SkipBlanks(p))) {
                p = SkipText(p);
                continue;
            }
            p = SkipBlanks(p);
            if (*p != '<') {
                return false;  // the end, or the parser's error
            }
            if (p[1] == '/') {
                p = Close(p + 2);
            } else if (p[1] == '?' || p[1] == '!') {
                p = SkipOtherNode(p + 1);
            } else if (!Open(p + 1)) {
                return true;
            }
        }
        return false;
    }

private:
    static const char* SkipText(const char* p) {
        while (IsText(*p)) {
            ++p;
        }
        return p;
    }

    // p just after "</": a name, blanks and '>'; outside every element the parser fails.
    const char* Close(const char* p) {
        p = SkipBlanks(SkipName(p));
        if (depth == 0 || *p != '>') {
            return nullptr;
        }
        --depth;
        return p + 1;
    }

    // p just after '<' of an element; false when it takes the depth beyond the limit.
    bool Open(const char* at) {
        const char* name = SkipName(at);
        p = name == at ? nullptr : SkipAttributes(SkipBlanks(name));
        if (p && *p == '>') {
            ++p;
            return ++depth <= limit;
        }
        p = p && p[0] == '/' && p[1] == '>' ? p + 2 : nullptr;
        return true;
    }

    const char* p;
    size_t limit;
    size_t depth = 0;
};

}  // namespace

bool NestingDepth::Exceeds(const char* text, size_t limit) { return text && Walk(text, limit).Exceeds(); }

}  // namespace rapidxml
}  // namespace xml
