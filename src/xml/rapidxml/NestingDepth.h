#pragma once

#include <cstddef>

namespace xml {
namespace rapidxml {

// The parser descends one call level per element level, so a hostile file nested deeply enough
// would overflow the stack. Before parsing, the UTF-8 text is walked the way the parser walks it,
// with the parser's own character classes (names may hold quotes and '=', attribute names may
// hold quotes, closing tags are a name then '>'), keeping the depth in a counter instead of on
// the stack. Where the parser would stop with an error the walk stops too: the parser never gets
// deeper than the walk has been.
class NestingDepth {
public:
    // Deepest element nesting that documents may have; configuration files use three levels.
    static constexpr size_t kLimit = 256;

    // True when the elements of the zero-terminated UTF-8 text nest deeper than limit.
    static bool Exceeds(const char* text, size_t limit = kLimit);
};

}  // namespace rapidxml
}  // namespace xml
