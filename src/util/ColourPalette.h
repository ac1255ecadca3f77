#pragma once

#include <cstdint>

#include "util/TextStyle.h"

namespace util {

// The colours a stretch of text is drawn in, as 0xRRGGBB.
struct DrawColours {
    uint32_t foreground;
    uint32_t background;
};

// Turns the colours of a TextStyle into the ones drawn. The sixteen base colours come in two sets,
// one readable on a light background and one on a dark one, chosen by the view's own background;
// "white" on a light background and "black" on a dark one are shown as greys so that they stay
// readable. Bold on a base colour shows its bright form; inverse swaps the two colours; faint
// (and the view's own muted marks) mixes the text colour halfway into the background. With system
// colours only (high contrast), every colour code is ignored but inverse.
class ColourPalette {
public:
    ColourPalette(uint32_t defaultForeground, uint32_t defaultBackground, bool systemColoursOnly);

    DrawColours Resolve(const TextStyle& style) const;
    // One of the 256 indexed colours: the sixteen base colours of this palette, the 6x6x6 cube,
    // then 24 greys.
    uint32_t Indexed(unsigned index) const;
    bool DarkBackground() const { return dark; }

    static uint32_t Mix(uint32_t one, uint32_t other);

private:
    uint32_t Colour(uint32_t packed, uint32_t fallback) const;

    uint32_t foreground;
    uint32_t background;
    bool systemOnly;
    bool dark;
};

}  // namespace util
