#pragma once

#include <cstdint>

namespace util {

// How a stretch of output text looks: the attributes that console colour codes set. A colour is
// packed in 32 bits: 0 is the view's default, kPalette | n one of the 256 indexed colours (0-7 the
// base colours, 8-15 their bright forms), kRgb | 0xRRGGBB a true colour.
struct TextStyle {
    static const uint32_t kDefault = 0;
    static const uint32_t kPalette = 0x01000000u;
    static const uint32_t kRgb = 0x02000000u;
    static const uint32_t kKindMask = 0xFF000000u;

    enum Flag : uint16_t {
        Bold = 1 << 0,
        Faint = 1 << 1,
        Italic = 1 << 2,
        Underline = 1 << 3,
        Inverse = 1 << 4,
        Strike = 1 << 5,
        // Not set by colour codes: the view's own marks (timestamps, links, the program's notes).
        Muted = 1 << 8,
        Link = 1 << 9,
    };

    uint32_t foreground = kDefault;
    uint32_t background = kDefault;
    uint16_t flags = 0;

    bool Has(Flag flag) const { return (flags & flag) != 0; }
    bool operator==(const TextStyle& other) const {
        return foreground == other.foreground && background == other.background && flags == other.flags;
    }
    bool operator!=(const TextStyle& other) const { return !(*this == other); }
};

}  // namespace util
