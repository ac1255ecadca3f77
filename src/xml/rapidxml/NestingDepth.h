#pragma once

#include <cstddef>

namespace xml {
namespace rapidxml {

// The parser descends one call level per element level, so a hostile file nested deeply enough
// would overflow the stack. Before parsing, the text is scanned for its element nesting depth.
// The scan skips comments, CDATA, declarations, processing instructions and DOCTYPEs by the
// parser's own rules, so it never counts fewer levels than the parser would descend; it may count
// more for malformed text, which the parser rejects anyway.
class NestingDepth {
public:
    // Deepest element nesting that documents may have; configuration files use three levels.
    static constexpr size_t kLimit = 256;

    // True when the elements of text nest deeper than limit.
    static bool Exceeds(const wchar_t* text, size_t limit = kLimit);
};

}  // namespace rapidxml
}  // namespace xml
