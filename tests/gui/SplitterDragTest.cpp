#include "gui/SplitterDrag.h"

#include <gtest/gtest.h>

namespace {

using gui::SplitterDrag;

const unsigned leftButton = 1;
const unsigned rightButton = 2;

// A press, a move and a release are driven through the splitter's window test.
TEST(SplitterDragRule, RejectedDrags) {
    SplitterDrag drag;
    EXPECT_FALSE(drag.Move(200, leftButton, 600));  // no press yet
    drag.Press();
    EXPECT_FALSE(drag.Move(10, leftButton, 600));  // into the first 10 pixels
    EXPECT_FALSE(drag.Move(601, leftButton, 600));  // beyond the far edge
    EXPECT_FALSE(drag.Move(300, leftButton | rightButton, 600));  // right button also held
    EXPECT_FALSE(drag.Move(300, 0, 600));
    EXPECT_EQ(130, drag.GetPosition());
    EXPECT_TRUE(drag.Move(11, leftButton, 600));
    EXPECT_TRUE(drag.Move(600, leftButton, 600));  // the edge itself is allowed
    EXPECT_EQ(600, drag.GetPosition());
    drag.Release();
    EXPECT_FALSE(drag.Move(300, leftButton, 600));
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
