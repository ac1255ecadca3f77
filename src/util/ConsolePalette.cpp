#include "util/ConsolePalette.h"

#include "util/TextStyle.h"

namespace util {
namespace {

const uint32_t kBase[16] = {
    0x000000, 0xB21818, 0x0A7D0A, 0x8C6E00, 0x1F45C8, 0x9C1F9C, 0x0A7A87, 0x767676,
    0x595959, 0xD41C1C, 0x1E8F1E, 0xA07C00, 0x3B6CF0, 0xB830B8, 0x0E8898, 0x4A4A4A,
};

// The cube's six levels per channel, as xterm has them.
uint32_t CubeLevel(unsigned step) {
    return step == 0 ? 0 : 55 + 40 * step;
}

}  // namespace

uint32_t ConsolePalette::Rgb(unsigned index) {
    if (index < 16) {
        return kBase[index];
    }
    if (index < 232) {
        unsigned cube = index - 16;
        return CubeLevel(cube / 36) << 16 | CubeLevel(cube / 6 % 6) << 8 | CubeLevel(cube % 6);
    }
    if (index < 256) {
        uint32_t grey = 8 + 10 * (index - 232);
        return grey << 16 | grey << 8 | grey;
    }
    return 0;
}

uint32_t ConsolePalette::Resolve(uint32_t packed, uint32_t defaultRgb) {
    switch (packed & TextStyle::kKindMask) {
        case TextStyle::kPalette:
            return Rgb(packed & 0xFFu);
        case TextStyle::kRgb:
            return packed & 0xFFFFFFu;
        default:
            return defaultRgb;
    }
}

}  // namespace util
