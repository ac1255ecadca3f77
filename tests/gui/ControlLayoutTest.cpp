#include "gui/ControlLayout.h"

#include <gtest/gtest.h>

namespace {

using gui::ControlLayout;
using gui::Placement;

void ExpectPlacement(const Placement& place, int x, int y, int width, int height) {
    EXPECT_EQ(x, place.x);
    EXPECT_EQ(y, place.y);
    EXPECT_EQ(width, place.width);
    EXPECT_EQ(height, place.height);
}

TEST(WidthRule, ZeroRequestGivesTheMaximumAndAMaximumCapsRequests) {
    EXPECT_EQ(0, ControlLayout::ClampWidth(0, 0));
    EXPECT_EQ(250, ControlLayout::ClampWidth(250, 0));
    EXPECT_EQ(100, ControlLayout::ClampWidth(0, 100));
    EXPECT_EQ(100, ControlLayout::ClampWidth(150, 100));
    EXPECT_EQ(80, ControlLayout::ClampWidth(80, 100));
    EXPECT_EQ(100, ControlLayout::ClampWidth(100, 100));
}

TEST(RadioGroupRow, ThreeButtonsIn340PixelsAre100WideFrom20) {
    ExpectPlacement(ControlLayout::RadioButton(340, 3, 0), 20, 20, 100, 24);
    ExpectPlacement(ControlLayout::RadioButton(340, 3, 1), 120, 20, 100, 24);
    ExpectPlacement(ControlLayout::RadioButton(340, 3, 2), 220, 20, 100, 24);
}

TEST(RadioGroupRow, WidthsAreTruncated) {
    // 341 - 40 = 301 over 2 buttons: 150 each, the odd pixel stays at the right margin.
    ExpectPlacement(ControlLayout::RadioButton(341, 2, 1), 170, 20, 150, 24);
}

TEST(SplitterLayout, DefaultBarIn600By400Client) {
    Placement first = {};
    Placement second = {};
    ControlLayout::SplitterPanes(0, 130, 600, 400, first, second);
    ExpectPlacement(first, 0, 0, 128, 400);
    ExpectPlacement(second, 132, 0, 468, 400);
}

TEST(SplitterLayout, HorizontalBarSplitsTheHeight) {
    Placement first = {};
    Placement second = {};
    ControlLayout::SplitterPanes(1, 130, 600, 400, first, second);
    ExpectPlacement(first, 0, 0, 600, 128);
    ExpectPlacement(second, 0, 132, 600, 268);
}

TEST(LabeledFieldSize, LabelAboveAddsBothHeightsAndMargins) {
    EXPECT_EQ(50, ControlLayout::LabeledFieldHeight(0, true, 15, 20));
    EXPECT_EQ(20, ControlLayout::LabeledFieldHeight(1, true, 15, 20));
    EXPECT_EQ(0, ControlLayout::LabeledFieldHeight(0, false, 15, 20));
    EXPECT_EQ(0, ControlLayout::LabeledFieldHeight(2, true, 15, 20));
}

TEST(LabeledFieldSize, WidthByLayoutCappedByANonZeroRequest) {
    EXPECT_EQ(210, ControlLayout::LabeledFieldWidth(0, true, 120, 200, 0));
    EXPECT_EQ(335, ControlLayout::LabeledFieldWidth(1, true, 120, 200, 0));
    EXPECT_EQ(300, ControlLayout::LabeledFieldWidth(1, true, 120, 200, 300));
    EXPECT_EQ(210, ControlLayout::LabeledFieldWidth(0, true, 120, 200, 500));
    EXPECT_EQ(77, ControlLayout::LabeledFieldWidth(5, true, 120, 200, 77));
    EXPECT_EQ(0, ControlLayout::LabeledFieldWidth(0, false, 120, 200, 300));
}

TEST(LabeledFieldPlacement, LabelAboveTheFieldInsetBy5) {
    Placement label = {};
    Placement field = {};
    ASSERT_TRUE(ControlLayout::LabeledField(0, 300, 15, 20, 0, label, field));
    ExpectPlacement(label, 5, 5, 290, 15);
    ExpectPlacement(field, 5, 25, 290, 20);
}

TEST(LabeledFieldPlacement, SideBySideHalvesTheInnerWidth) {
    Placement label = {};
    Placement field = {};
    // Inner width 300 - 10 = 290; (290 - 5) / 2 = 142.
    ASSERT_TRUE(ControlLayout::LabeledField(1, 300, 15, 20, 142, label, field));
    ExpectPlacement(label, 5, 5, 142, 15);
    ExpectPlacement(field, 152, 5, 142, 20);
    // A label with a maximum width moves the field closer.
    ASSERT_TRUE(ControlLayout::LabeledField(1, 300, 15, 20, 60, label, field));
    EXPECT_EQ(70, field.x);
    EXPECT_FALSE(ControlLayout::LabeledField(3, 300, 15, 20, 60, label, field));
}

}  // namespace
