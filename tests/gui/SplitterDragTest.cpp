#include "gui/SplitterDrag.h"

#include <gtest/gtest.h>

namespace {

using gui::SplitterDrag;

const unsigned leftButton = 1;
const unsigned rightButton = 2;

TEST(SplitterDragRule, StartsAt130AndMovesOnlyWhileDraggingWithTheLeftButton) {
    SplitterDrag drag;
    EXPECT_EQ(130, drag.GetPosition());
    EXPECT_FALSE(drag.Move(200, leftButton, 600));  // no press yet
    drag.Press();
    EXPECT_TRUE(drag.Move(200, leftButton, 600));
    EXPECT_EQ(200, drag.GetPosition());
    drag.Release();
    EXPECT_FALSE(drag.Move(300, leftButton, 600));
    EXPECT_EQ(200, drag.GetPosition());
}

TEST(SplitterDragRule, RejectedDrags) {
    SplitterDrag drag;
    drag.Press();
    EXPECT_FALSE(drag.Move(5, leftButton, 600));  // into the first 10 pixels
    EXPECT_FALSE(drag.Move(10, leftButton, 600));
    EXPECT_FALSE(drag.Move(601, leftButton, 600));  // beyond the far edge
    EXPECT_FALSE(drag.Move(300, leftButton | rightButton, 600));  // right button also held
    EXPECT_FALSE(drag.Move(300, 0, 600));
    EXPECT_EQ(130, drag.GetPosition());
    EXPECT_TRUE(drag.Move(11, leftButton, 600));
    EXPECT_TRUE(drag.Move(600, leftButton, 600));  // the edge itself is allowed
    EXPECT_EQ(600, drag.GetPosition());
}

TEST(SplitterDragRule, BarIsTheThreePixelsAroundThePosition) {
    SplitterDrag drag;
    EXPECT_FALSE(drag.IsOverBar(128));
    EXPECT_TRUE(drag.IsOverBar(129));
    EXPECT_TRUE(drag.IsOverBar(131));
    EXPECT_FALSE(drag.IsOverBar(132));
    drag.SetPosition(9);
    EXPECT_FALSE(drag.IsOverBar(9));  // ignored region
}

}  // namespace
