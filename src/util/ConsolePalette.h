#pragma once

#include <cstdint>

namespace util {

// The 256 indexed colours of console colour codes as 0xRRGGBB. The sixteen base colours are
// chosen for the light window background that Windows gives text windows by default: each one,
// "white" and "bright white" included (drawn as greys), keeps a contrast of at least 3:1 against
// white. Indices 16-231 are the 6x6x6 colour cube and 232-255 the grey ramp that terminals share.
class ConsolePalette {
public:
    static uint32_t Rgb(unsigned index);
    // The colour a packed TextStyle colour stands for; defaultRgb for the view's default.
    static uint32_t Resolve(uint32_t packed, uint32_t defaultRgb);
};

}  // namespace util
