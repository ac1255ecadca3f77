#include <gtest/gtest.h>

#include <string>

#include "util/LineStore.h"
#include "util/ScrollModel.h"

namespace {

using util::LineStore;
using util::ScrollModel;
using util::TextPosition;

void Lines(LineStore& store, int from, int count) {
    for (int i = from; i < from + count; ++i) {
        std::wstring line = L"line " + std::to_wstring(i) + L"\n";
        store.AppendText(line.data(), line.size(), util::TextStyle(), 0);
    }
}

// A view of 10 lines over a store that grows: it follows while left at the bottom, stays where
// the user put it otherwise, and follows again once the user is back at the bottom.
TEST(ScrollModel, FollowsOnlyWhileTheUserLeavesItAtTheBottom) {
    LineStore store(1000000);
    ScrollModel view;
    view.SetGeometry(10, 400, 8, 2);
    Lines(store, 0, 5);
    view.StoreChanged(store);
    EXPECT_EQ(0u, view.Top()) << "everything fits";
    Lines(store, 5, 50);
    view.StoreChanged(store);
    EXPECT_EQ(store.EndNumber() - 10, view.Top());
    EXPECT_TRUE(view.Following());

    EXPECT_TRUE(view.ScrollBy(store, -3));
    EXPECT_FALSE(view.Following());
    uint64_t reading = view.Top();
    Lines(store, 55, 20);
    view.StoreChanged(store);
    EXPECT_EQ(reading, view.Top()) << "new output does not move a reader";
    view.ScrollBy(store, 1000);
    EXPECT_TRUE(view.Following()) << "back at the bottom";
    EXPECT_EQ(view.MaxTop(store), view.Top());

    // Selecting stops following; reaching the bottom while selecting does not start it again.
    view.StopFollowing();
    Lines(store, 75, 3);
    view.StoreChanged(store);
    EXPECT_EQ(view.MaxTop(store) - 3, view.Top());
    view.ScrollBy(store, 5, true);
    EXPECT_FALSE(view.Following());
    view.ScrollTo(store, 0, 0, false);
    EXPECT_FALSE(view.Following()) << "a move the user did not ask for changes nothing";
    view.Follow(store);
    EXPECT_TRUE(view.Following());
    EXPECT_EQ(view.MaxTop(store), view.Top());
}

// The oldest lines go: a reader keeps the same line in view, or the oldest one held once that
// went too, and the scroll bar's position counts from the oldest held line.
TEST(ScrollModel, ATrimKeepsTheSameTextInView) {
    LineStore store(2000);
    ScrollModel view;
    view.SetGeometry(10, 400, 8, 2);
    Lines(store, 0, 150);
    view.StoreChanged(store);
    view.ScrollTo(store, 120, 0, true);
    ASSERT_FALSE(view.Following());
    Lines(store, 150, 100);
    ASSERT_GT(store.Trim(), 0u);
    view.StoreChanged(store);
    EXPECT_EQ(120u, view.Top());
    EXPECT_EQ(L"line 120", store.At(view.Top()).text);
    EXPECT_EQ(static_cast<int64_t>(120 - store.FirstNumber()), view.VerticalPosition(store));
    view.ScrollTo(store, store.FirstNumber(), 0, true);
    Lines(store, 250, 100);
    store.Trim();
    view.StoreChanged(store);
    EXPECT_EQ(store.FirstNumber(), view.Top());
    EXPECT_EQ(0, view.VerticalPosition(store));
}

TEST(ScrollModel, HorizontalRangeHitTestingAndRevealUseCellsAndMargin) {
    LineStore store(1000000);
    ScrollModel view;
    view.SetGeometry(10, 400, 8, 2);
    EXPECT_EQ(0, view.MaxLeft()) << "nothing wide yet";
    view.NoteWidth(100000);  // far past 65,535 pixels
    EXPECT_EQ(100001 * 8 + 4 - 400, view.MaxLeft());
    view.ScrollTo(store, 0, 1 << 30, false);
    EXPECT_EQ(view.MaxLeft(), view.Left());
    EXPECT_GT(view.Left(), 65535);
    view.ScrollTo(store, 0, -5, false);
    EXPECT_EQ(0, view.Left());

    Lines(store, 0, 40);
    view.ScrollTo(store, 20, 80, true);
    // Column boundaries fall halfway through a cell; lines count from the top line in view.
    EXPECT_EQ((TextPosition{20, 0}), view.PositionAt(store, -80 + 2 + 3, 0, 16));
    EXPECT_EQ((TextPosition{22, 1}), view.PositionAt(store, -80 + 2 + 4, 2 * 16 + 15, 16));
    EXPECT_EQ((TextPosition{19, 7}), view.PositionAt(store, 400, -1, 16)) << "above the view, held to the line";
    EXPECT_EQ(store.End(), view.PositionAt(store, 0, 100 * 16, 16));

    view.Reveal(store, {35, 0});
    EXPECT_EQ(26u, view.Top());
    EXPECT_EQ(0, view.Left());
    view.Reveal(store, {5, 3});
    EXPECT_EQ(5u, view.Top());

    // Cells drawn in front of the lines widen the range and move the text under the pointer; a
    // line's start is revealed with them.
    view.Reset(store);
    view.NoteWidth(60);
    view.SetPrefixCells(13);
    EXPECT_EQ((60 + 13 + 1) * 8 + 4 - 400, view.MaxLeft());
    EXPECT_EQ((TextPosition{0, 0}), view.PositionAt(store, 2 + 13 * 8 + 3, 0, 16));
    EXPECT_EQ((TextPosition{0, 1}), view.PositionAt(store, 2 + 13 * 8 + 4, 0, 16));
    view.ScrollTo(store, 0, 150, false);
    EXPECT_EQ(150, view.Left());
    view.Reveal(store, {0, 0});
    EXPECT_EQ(0, view.Left());
    view.SetPrefixCells(0);
    EXPECT_EQ((60 + 1) * 8 + 4 - 400, view.MaxLeft());
    view.Reset(store);
    EXPECT_EQ(0, view.MaxLeft());
    EXPECT_TRUE(view.Following());
}

}  // namespace
