#pragma once

#include <cstddef>
#include <cstdint>

namespace util {

// A place in a LineStore: before the character at column of the line with that number. Line
// numbers never change while the line is held, so a position keeps naming the same text.
struct TextPosition {
    uint64_t line = 0;
    size_t column = 0;

    bool operator==(const TextPosition& other) const { return line == other.line && column == other.column; }
    bool operator!=(const TextPosition& other) const { return !(*this == other); }
    bool operator<(const TextPosition& other) const {
        return line < other.line || (line == other.line && column < other.column);
    }
    bool operator<=(const TextPosition& other) const { return !(other < *this); }
};

}  // namespace util
