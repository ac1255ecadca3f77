#pragma once

#include <string>

namespace xml {
namespace rapidxml {

// The parser expands a numeric character reference (&#233; or &#xE9;) into UTF-8 bytes without
// checking the code: a surrogate code (&#xD800;) gives bytes that are not UTF-8. References to
// characters beyond ASCII are therefore replaced by the characters themselves before parsing;
// ASCII references (which may stand for markup such as "<") are left to the parser, and so are
// references that are malformed or out of range, which it rejects.
class CharacterReferences {
public:
    // text with every well-formed reference to a character beyond ASCII replaced by that
    // character (a surrogate code becomes U+FFFD).
    static std::wstring ExpandNonAscii(const std::wstring& text);
};

}  // namespace rapidxml
}  // namespace xml
