#pragma once

#include <cstdint>

namespace util {

// How a stretch of output text looks: the attributes that console colour codes set. A colour is
// packed in 32 bits: 0 is the view's default, kPalette | n one of the 256 indexed colours (0-7 the
// base colours, 8-15 their bright forms), kRgb | 0xRRGGBB a true colour.
struct TextStyle {
    static constexpr uint32_t kDefault = 0;
    static constexpr uint32_t kPalette = 0x01000000u;
    static constexpr uint32_t kRgb = 0x02000000u;
    static constexpr uint32_t kKindMask = 0xFF000000u;
    // Only in what ShownForeground and ShownBackground return: the view's default colour of the
    // other role (the default background as text colour, the default text colour as background).
    static constexpr uint32_t kOppositeDefault = 0x03000000u;

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
        // Blanks that a tab became: shown as blanks, saved as the tab again.
        Tab = 1 << 10,
    };

    uint32_t foreground = kDefault;
    uint32_t background = kDefault;
    uint16_t flags = 0;

    bool Has(Flag flag) const { return (flags & flag) != 0; }

    // The colours to draw with: bold on one of the eight base colours shows its bright form, as
    // consoles do, and inverse swaps text and background colour.
    uint32_t ShownForeground() const { return Has(Inverse) ? Opposite(background) : BrightenedForeground(); }
    uint32_t ShownBackground() const { return Has(Inverse) ? Opposite(BrightenedForeground()) : background; }
    bool operator==(const TextStyle& other) const {
        return foreground == other.foreground && background == other.background && flags == other.flags;
    }
    bool operator!=(const TextStyle& other) const { return !(*this == other); }

private:
    uint32_t BrightenedForeground() const {
        bool base = (foreground & kKindMask) == kPalette && (foreground & 0xFFu) < 8;
        return Has(Bold) && base ? foreground + 8 : foreground;
    }
    static uint32_t Opposite(uint32_t colour) { return colour == kDefault ? kOppositeDefault : colour; }
};

}  // namespace util
