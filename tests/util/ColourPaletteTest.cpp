#include <gtest/gtest.h>

#include "util/ColourPalette.h"

namespace {

using util::ColourPalette;
using util::TextStyle;

TextStyle Style(uint32_t foreground, uint32_t background = TextStyle::kDefault, uint16_t flags = 0) {
    TextStyle style;
    style.foreground = foreground;
    style.background = background;
    style.flags = flags;
    return style;
}

TEST(ColourPalette, ResolvesIndexedTrueAndDefaultColours) {
    ColourPalette light(0x000000, 0xFFFFFF, false);
    EXPECT_EQ(0x000000u, light.Resolve(TextStyle()).foreground);
    EXPECT_EQ(0xFFFFFFu, light.Resolve(TextStyle()).background);
    EXPECT_EQ(0x123456u, light.Resolve(Style(TextStyle::kRgb | 0x123456)).foreground);
    EXPECT_EQ(0xABCDEFu, light.Resolve(Style(0, TextStyle::kRgb | 0xABCDEF)).background);
    EXPECT_EQ(light.Indexed(1), light.Resolve(Style(TextStyle::kPalette | 1)).foreground);
    // The cube and the greys of the 256 colours.
    EXPECT_EQ(0x000000u, light.Indexed(16));
    EXPECT_EQ(0xFF0000u, light.Indexed(196));
    EXPECT_EQ(0x5F87AFu, light.Indexed(16 + 36 * 1 + 6 * 2 + 3));
    EXPECT_EQ(0x080808u, light.Indexed(232));
    EXPECT_EQ(0xEEEEEEu, light.Indexed(255));
}

TEST(ColourPalette, BoldBrightensOnlyBaseColoursAndInverseAndFaintChangeTheResult) {
    ColourPalette light(0x000000, 0xFFFFFF, false);
    EXPECT_EQ(light.Indexed(9), light.Resolve(Style(TextStyle::kPalette | 1, 0, TextStyle::Bold)).foreground);
    EXPECT_EQ(light.Indexed(9), light.Resolve(Style(TextStyle::kPalette | 9, 0, TextStyle::Bold)).foreground);
    EXPECT_EQ(light.Indexed(100), light.Resolve(Style(TextStyle::kPalette | 100, 0, TextStyle::Bold)).foreground);
    util::DrawColours inverse = light.Resolve(Style(TextStyle::kRgb | 0x0000FF, 0, TextStyle::Inverse));
    EXPECT_EQ(0xFFFFFFu, inverse.foreground);
    EXPECT_EQ(0x0000FFu, inverse.background);
    EXPECT_EQ(0x7F7F7Fu, light.Resolve(Style(0, 0, TextStyle::Faint)).foreground);
}

// Every base colour stays apart from the background it is shown on, light or dark.
TEST(ColourPalette, BaseColoursAreReadableOnTheirBackground) {
    for (uint32_t background : {0xFFFFFFu, 0x000000u, 0x1E1E1Eu}) {
        ColourPalette palette(0x808080, background, false);
        EXPECT_EQ(background < 0x808080, palette.DarkBackground());
        for (unsigned index = 0; index < 16; ++index) {
            uint32_t colour = palette.Indexed(index);
            int difference = 0;
            for (int shift : {0, 8, 16}) {
                difference += std::abs(static_cast<int>((colour >> shift) & 0xFF) -
                                       static_cast<int>((background >> shift) & 0xFF));
            }
            EXPECT_GT(difference, 200) << std::hex << background << " colour " << std::dec << index;
        }
    }
}

TEST(ColourPalette, SystemColoursOnlyIgnoresColourCodesButInverse) {
    ColourPalette contrast(0xFFFF00, 0x000000, true);
    util::DrawColours plain = contrast.Resolve(Style(TextStyle::kRgb | 0x123456, TextStyle::kPalette | 4,
                                                     TextStyle::Bold | TextStyle::Faint));
    EXPECT_EQ(0xFFFF00u, plain.foreground);
    EXPECT_EQ(0x000000u, plain.background);
    util::DrawColours inverse = contrast.Resolve(Style(TextStyle::kPalette | 1, 0, TextStyle::Inverse));
    EXPECT_EQ(0x000000u, inverse.foreground);
    EXPECT_EQ(0xFFFF00u, inverse.background);
}

}  // namespace
