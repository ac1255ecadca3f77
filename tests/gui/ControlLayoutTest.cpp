#include "gui/ControlLayout.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using gui::ControlLayout;
using gui::Placement;

using Box = std::array<int, 4>;  // x, y, width, height

Box BoxOf(const Placement& place) { return {place.x, place.y, place.width, place.height}; }

TEST(WidthRule, ZeroRequestGivesTheMaximumAndAMaximumCapsRequests) {
    struct Case {
        int request, maximum, expected;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{250, 0, 250}, Case{0, 100, 100}, Case{150, 100, 100},
                          Case{80, 100, 80}, Case{100, 100, 100}}) {
        EXPECT_EQ(c.expected, ControlLayout::ClampWidth(c.request, c.maximum)) << c.request << " of " << c.maximum;
    }
}

// Three buttons in 340 pixels are placed by the radio group's window test.
TEST(RadioGroupRow, WidthsAreTruncated) {
    // 341 - 40 = 301 over 2 buttons: 150 each, the odd pixel stays at the right margin.
    EXPECT_EQ((Box{170, 20, 150, 24}), BoxOf(ControlLayout::RadioButton(341, 2, 1)));
}

TEST(SplitterLayout, BarAt130In600By400ClientSplitsTheHeightOfAHorizontalSplitter) {
    Placement first = {};
    Placement second = {};
    // Side by side: the splitter's window test.
    ControlLayout::SplitterPanes(1, 130, 600, 400, first, second);
    EXPECT_EQ((Box{0, 0, 600, 128}), BoxOf(first));
    EXPECT_EQ((Box{0, 132, 600, 268}), BoxOf(second));
}

TEST(LabeledFieldSize, HeightAndWidthByLayoutCappedByANonZeroRequest) {
    // No field or an unknown layout: nothing (both layouts' heights: the labelled field's window test).
    EXPECT_EQ(0, ControlLayout::LabeledFieldHeight(0, false, 15, 20));
    EXPECT_EQ(0, ControlLayout::LabeledFieldHeight(2, true, 15, 20));
    struct Case {
        int layout;
        bool hasField;
        int request, expected;
    };
    for (const Case& c : {Case{0, true, 0, 210}, Case{1, true, 0, 335}, Case{1, true, 300, 300},
                          Case{0, true, 500, 210}, Case{5, true, 77, 77}, Case{0, false, 300, 0}}) {
        EXPECT_EQ(c.expected, ControlLayout::LabeledFieldWidth(c.layout, c.hasField, 120, 200, c.request))
            << "layout " << c.layout << " request " << c.request;
    }
}

// Both layouts at their full width are placed by the labelled field's window test.
TEST(LabeledFieldPlacement, ALabelWithAMaximumWidthMovesTheFieldCloser) {
    Placement label = {};
    Placement field = {};
    // A label with a maximum width moves the field closer.
    ASSERT_TRUE(ControlLayout::LabeledField(1, 300, 15, 20, 60, label, field));
    EXPECT_EQ(70, field.x);
    EXPECT_FALSE(ControlLayout::LabeledField(3, 300, 15, 20, 60, label, field));
}

}  // namespace
