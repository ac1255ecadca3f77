#include "util/StyleRuns.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using util::StyleRun;
using util::StyleRuns;
using util::TextStyle;

TextStyle Colour(uint32_t index) {
    TextStyle style;
    style.foreground = TextStyle::kPalette | index;
    return style;
}

void ExpectRuns(const StyleRuns& runs, size_t count, uint32_t skipped = 0) {
    ASSERT_EQ(count, runs.size());
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(i + skipped, runs[i].start) << i;
        EXPECT_EQ(Colour(static_cast<uint32_t>(i + skipped)), runs[i].style) << i;
    }
}

// Runs kept inside and runs that went to a block of their own keep their order and values
// through growing, copying, moving and shrinking, and a moved-from set is empty but usable.
TEST(StyleRuns, KeepTheirRunsWhetherHeldInsideOrSpilled) {
    for (size_t count : {size_t(0), size_t(1), StyleRuns::kInline, StyleRuns::kInline + 1, size_t(40)}) {
        SCOPED_TRACE(count);
        StyleRuns runs;
        for (uint32_t i = 0; i < count; ++i) {
            runs.push_back({i, Colour(i)});
        }
        ExpectRuns(runs, count);

        StyleRuns copy = runs;
        copy.push_back({static_cast<uint32_t>(count), Colour(static_cast<uint32_t>(count))});
        ExpectRuns(runs, count);  // the copy shares nothing with its original
        ExpectRuns(copy, count + 1);

        StyleRuns moved = std::move(copy);
        ExpectRuns(moved, count + 1);
        EXPECT_TRUE(copy.empty());
        copy.push_back({0, Colour(0)});
        ExpectRuns(copy, 1);

        copy = moved;
        ExpectRuns(copy, count + 1);
        moved = std::move(runs);
        ExpectRuns(moved, count);

        if (count > 0) {
            moved.back() = {moved.back().start, Colour(0)};
            EXPECT_EQ(Colour(0), moved[count - 1].style);
            moved.pop_back();
            ExpectRuns(moved, count - 1);
        }
        moved.clear();
        EXPECT_TRUE(moved.empty());
        EXPECT_EQ(moved.begin(), moved.end());
    }
}

// Reserving room keeps what is held, and a list gives its runs in order.
TEST(StyleRuns, ReserveAndListsKeepTheRuns) {
    StyleRuns runs = {{0, Colour(0)}, {1, Colour(1)}, {2, Colour(2)}};
    ExpectRuns(runs, 3);
    runs.reserve(100);
    ExpectRuns(runs, 3);
    runs = {{1, Colour(1)}, {2, Colour(2)}, {3, Colour(3)}, {4, Colour(4)}, {5, Colour(5)}, {6, Colour(6)}};
    ExpectRuns(runs, 6, 1);
}

}  // namespace
