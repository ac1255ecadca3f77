#include "util/ColourPalette.h"

namespace util {

namespace {

// Base colours 0-7, then their bright forms 8-15.
const uint32_t kOnLight[16] = {0x000000, 0xB21818, 0x127A12, 0x8A6400, 0x1E3FD0, 0x901C9E, 0x0A6F86, 0x6E6E6E,
                               0x4A4A4A, 0xD82020, 0x1E9A1E, 0xA07A00, 0x3A68FF, 0xB42AC0, 0x0C8AA6, 0x8C8C8C};
const uint32_t kOnDark[16] = {0x7A7A7A, 0xE04848, 0x3CC43C, 0xD8B830, 0x5A86FF, 0xD060D8, 0x38C0D8, 0xD0D0D0,
                              0x9A9A9A, 0xFF7070, 0x70F070, 0xF8E060, 0x88AAFF, 0xF090F0, 0x70E8F8, 0xFFFFFF};
const uint32_t kCubeLevels[6] = {0, 95, 135, 175, 215, 255};

unsigned Luminance(uint32_t rgb) {
    return (((rgb >> 16) & 0xFF) * 299 + ((rgb >> 8) & 0xFF) * 587 + (rgb & 0xFF) * 114) / 1000;
}

}  // namespace

ColourPalette::ColourPalette(uint32_t defaultForeground, uint32_t defaultBackground, bool systemColoursOnly)
    : foreground(defaultForeground),
      background(defaultBackground),
      systemOnly(systemColoursOnly),
      dark(Luminance(defaultBackground) < 128) {}

uint32_t ColourPalette::Indexed(unsigned index) const {
    if (index < 16) {
        return (dark ? kOnDark : kOnLight)[index];
    }
    if (index < 232) {
        unsigned cube = index - 16;
        return kCubeLevels[cube / 36] << 16 | kCubeLevels[cube / 6 % 6] << 8 | kCubeLevels[cube % 6];
    }
    unsigned grey = 8 + 10 * (index > 255 ? 23 : index - 232);
    return grey << 16 | grey << 8 | grey;
}

uint32_t ColourPalette::Colour(uint32_t packed, uint32_t fallback) const {
    switch (packed & TextStyle::kKindMask) {
        case TextStyle::kPalette:
            return Indexed(packed & 0xFF);
        case TextStyle::kRgb:
            return packed & 0xFFFFFF;
        default:
            return fallback;
    }
}

uint32_t ColourPalette::Mix(uint32_t one, uint32_t other) {
    return ((one & 0xFEFEFE) >> 1) + ((other & 0xFEFEFE) >> 1);
}

DrawColours ColourPalette::Resolve(const TextStyle& style) const {
    DrawColours colours = {foreground, background};
    if (!systemOnly) {
        uint32_t text = style.foreground;
        // Bold on one of the eight base colours is its bright form, as consoles show it.
        if (style.Has(TextStyle::Bold) && (text & TextStyle::kKindMask) == TextStyle::kPalette && (text & 0xFF) < 8) {
            text += 8;
        }
        colours.foreground = Colour(text, foreground);
        colours.background = Colour(style.background, background);
        if (style.Has(TextStyle::Faint) || style.Has(TextStyle::Muted)) {
            colours.foreground = Mix(colours.foreground, colours.background);
        }
    }
    if (style.Has(TextStyle::Inverse)) {
        DrawColours swapped = {colours.background, colours.foreground};
        colours = swapped;
    }
    return colours;
}

}  // namespace util
