#include "util/GraphicRendition.h"

#include <cstdint>

namespace util {
namespace {

// A sequence is at most a few hundred units long, so this many numbers hold any real one.
const size_t kMaxNumbers = 128;
const uint32_t kNumberCap = 100000;

struct Number {
    uint32_t value;
    bool empty;  // no digits: counts as 0, except as a colour part
    bool sub;    // follows a ':' (belongs to the code before it)
};

// Reads the numbers of text into numbers (the first kMaxNumbers of them) in one pass; false when
// text holds anything but digits, ';' and ':' ("ESC [ ? ... m", "ESC [ > ... m": other sequences
// that end in m).
bool Split(const wchar_t* text, size_t count, Number* numbers, size_t& n) {
    n = 0;
    Number current = {0, true, false};
    for (size_t i = 0; i <= count; ++i) {
        wchar_t c = i < count ? text[i] : L';';
        if (c >= L'0' && c <= L'9') {
            uint32_t grown = current.value * 10 + static_cast<uint32_t>(c - L'0');
            current.value = grown > kNumberCap ? kNumberCap : grown;
            current.empty = false;
            continue;
        }
        if (c != L';' && c != L':') {
            return false;
        }
        if (n < kMaxNumbers) {
            numbers[n++] = current;
        }
        current = {0, true, c == L':'};
    }
    return true;
}

bool Byte(const Number& number, uint32_t& value) {
    value = number.value;
    return number.value <= 255;
}

// "5;n" or "2;r;g;b" from parts (the numbers after the 38 or 48); false when they do not make a
// colour. used tells how many of the parts belong to the colour.
bool ExtendedColour(const Number* parts, size_t available, bool colonForm, uint32_t& colour, size_t& used) {
    used = available;
    if (available == 0) {
        return false;
    }
    uint32_t mode = parts[0].value;
    if (mode == 5) {
        uint32_t index = 0;
        if (!colonForm) {
            used = available < 2 ? available : 2;
        }
        if (available < 2 || !Byte(parts[1], index)) {
            return false;
        }
        colour = TextStyle::kPalette | index;
        return true;
    }
    if (mode == 2) {
        // The ':' form may put a colour space number before the three channels.
        size_t first = colonForm && available >= 5 ? 2 : 1;
        if (!colonForm) {
            used = available < 4 ? available : 4;
        }
        uint32_t r = 0, g = 0, b = 0;
        if (available < first + 3 || !Byte(parts[first], r) || !Byte(parts[first + 1], g) ||
            !Byte(parts[first + 2], b)) {
            return false;
        }
        colour = TextStyle::kRgb | r << 16 | g << 8 | b;
        return true;
    }
    if (!colonForm) {
        used = 1;
    }
    return false;
}

void Set(TextStyle& style, uint16_t flag, bool on) {
    style.flags = static_cast<uint16_t>(on ? style.flags | flag : style.flags & ~flag);
}

void ApplyCode(uint32_t code, TextStyle& style) {
    if (code >= 30 && code <= 37) {
        style.foreground = TextStyle::kPalette | (code - 30);
    } else if (code >= 90 && code <= 97) {
        style.foreground = TextStyle::kPalette | (code - 90 + 8);
    } else if (code >= 40 && code <= 47) {
        style.background = TextStyle::kPalette | (code - 40);
    } else if (code >= 100 && code <= 107) {
        style.background = TextStyle::kPalette | (code - 100 + 8);
    }
    switch (code) {
        case 0: {
            // The view's own marks are not the child's to reset.
            uint16_t kept = style.flags & (TextStyle::Muted | TextStyle::Link);
            style = TextStyle();
            style.flags = kept;
            break;
        }
        case 1:
            Set(style, TextStyle::Bold, true);
            break;
        case 2:
            Set(style, TextStyle::Faint, true);
            break;
        case 3:
            Set(style, TextStyle::Italic, true);
            break;
        case 4:
            Set(style, TextStyle::Underline, true);
            break;
        case 7:
            Set(style, TextStyle::Inverse, true);
            break;
        case 9:
            Set(style, TextStyle::Strike, true);
            break;
        case 22:
            Set(style, TextStyle::Bold | TextStyle::Faint, false);
            break;
        case 23:
            Set(style, TextStyle::Italic, false);
            break;
        case 24:
            Set(style, TextStyle::Underline, false);
            break;
        case 27:
            Set(style, TextStyle::Inverse, false);
            break;
        case 29:
            Set(style, TextStyle::Strike, false);
            break;
        case 39:
            style.foreground = TextStyle::kDefault;
            break;
        case 49:
            style.background = TextStyle::kDefault;
            break;
        default:
            break;
    }
}

}  // namespace

void GraphicRendition::Apply(const wchar_t* parameters, size_t count, TextStyle& style) {
    Number numbers[kMaxNumbers];
    size_t n = 0;
    if (!Split(parameters, count, numbers, n)) {
        return;
    }
    size_t i = 0;
    while (i < n) {
        uint32_t code = numbers[i].empty ? 0 : numbers[i].value;
        size_t subs = 0;
        while (i + 1 + subs < n && numbers[i + 1 + subs].sub) {
            ++subs;
        }
        if (code == 38 || code == 48 || code == 58) {
            bool colonForm = subs > 0;
            size_t available = colonForm ? subs : n - i - 1;
            uint32_t colour = 0;
            size_t used = 0;
            bool valid = ExtendedColour(numbers + i + 1, available, colonForm, colour, used);
            if (valid && code == 38) {
                style.foreground = colour;
            } else if (valid && code == 48) {
                style.background = colour;
            }  // 58: the underline's colour, which the view does not draw
            i += 1 + used;
            continue;
        }
        if (code == 4 && subs > 0) {
            // "4:0" is no underline, "4:1" to "4:5" kinds of underline.
            Set(style, TextStyle::Underline, numbers[i + 1].value != 0);
        } else {
            ApplyCode(code, style);
        }
        i += 1 + subs;
    }
}

}  // namespace util
