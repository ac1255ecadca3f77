#pragma once

#include <cstdint>

namespace util {

// The text encoding of a file, as its byte-order mark tells it. Ansi is 8-bit text without a mark
// (which the program writes and reads as UTF-8 where the bytes allow it); Unknown is not
// recognised as text.
enum Encoding : std::int32_t {
    UTF8 = 0,
    UTF16BE = 1,
    UTF16LE = 2,
    UTF32BE = 3,
    UTF32LE = 4,
    Ansi = 5,
    Unknown = 6,
};

}  // namespace util
