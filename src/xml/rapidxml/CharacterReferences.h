#pragma once

#include <string>

namespace xml {
namespace rapidxml {

// The parser expands a numeric character reference (&#233; or &#xE9;) into UTF-8 bytes without
// checking the code: a surrogate code (&#xD800;) gives bytes that are not UTF-8, a code beyond
// the integer wraps around (&#x100000041; would read as "A") and &#0; puts a zero into the text,
// which cuts every later use of it short. References are therefore resolved before parsing the
// way the parser reads them ("&#", an optional lower-case "x", digits, ";"): one to a character
// beyond ASCII becomes that character, and one to no character (zero, a surrogate, beyond
// U+10FFFF) becomes U+FFFD. References to ASCII characters (which may stand for markup such as
// "<") are left to the parser, and so is text that is no reference, which it rejects.
class CharacterReferences {
public:
    static std::wstring ExpandNonAscii(const std::wstring& text);
};

}  // namespace rapidxml
}  // namespace xml
