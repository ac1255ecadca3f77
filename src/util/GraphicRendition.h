#pragma once

#include <cstddef>

#include "util/TextStyle.h"

namespace util {

// The colour and attribute codes of a console ("ESC [ ... m"): each code changes only its own
// attribute of the current style. Known: reset 0; bold 1, faint 2, italic 3, underline 4,
// inverse 7, strike 9 and their resets 22 (bold and faint), 23, 24, 27, 29; foreground 30-37,
// 90-97, 39; background 40-47, 100-107, 49; 256 colours 38;5;n / 48;5;n and true colour
// 38;2;r;g;b / 48;2;r;g;b, with ';' or ':' between the numbers (the ':' form may carry a colour
// space before r, as "38:2::r:g:b"). Every other code, blink among them, changes nothing; an
// extended colour with numbers missing or out of range changes nothing either.
class GraphicRendition {
public:
    // parameters: the units between "ESC [" and the final "m" (digits, ';' and ':'). A sequence
    // with a private marker or an intermediate character is not a colour code and is ignored.
    static void Apply(const wchar_t* parameters, size_t count, TextStyle& style);
};

}  // namespace util
