// Remembered windows kept on today's screens: left alone while they show enough of themselves,
// moved onto the nearest monitor's work area when they do not.
#include "common/ScreenFit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

ScreenFit::Monitor MonitorAt(int left, int top, int width, int height, int taskbar) {
    ScreenFit::Monitor monitor;
    monitor.area = {left, top, left + width, top + height};
    monitor.work = {left, top, left + width, top + height - taskbar};
    return monitor;
}

// A primary monitor with its task bar at the bottom, and a second one to its right, set lower.
const std::vector<ScreenFit::Monitor> kTwo = {MonitorAt(0, 0, 1920, 1080, 40), MonitorAt(1920, 200, 1280, 1024, 0)};

TEST(ScreenFit, AWindowThatShowsEnoughOfItselfStaysWhereItIs) {
    for (LayoutRect window : {LayoutRect{100, 100, 900, 700}, LayoutRect{1800, 300, 2600, 900},
                              LayoutRect{-700, 50, 100, 650}, LayoutRect{3000, 1100, 3800, 1700}}) {
        EXPECT_TRUE(ScreenFit::IsOnScreen(window, kTwo)) << window.left << "," << window.top;
        EXPECT_EQ(window, ScreenFit::Fit(window, kTwo));
    }
    // A tiny window need only show whole.
    LayoutRect tiny{5, 5, 25, 25};
    EXPECT_TRUE(ScreenFit::IsOnScreen(tiny, kTwo));
    EXPECT_EQ(tiny, ScreenFit::Fit(tiny, {}));  // no monitor known: nothing to fit it to
}

TEST(ScreenFit, AWindowOffEveryMonitorMovesOntoTheNearestWorkArea) {
    // Where a third monitor was, far to the left: onto the primary one, its size kept.
    LayoutRect left{-3000, 100, -2200, 700};
    EXPECT_FALSE(ScreenFit::IsOnScreen(left, kTwo));
    EXPECT_EQ(0u, ScreenFit::Nearest(left, kTwo));
    EXPECT_EQ((LayoutRect{0, 100, 800, 700}), ScreenFit::Fit(left, kTwo));

    // Below the second monitor (which reaches lower than the first): onto the second one.
    LayoutRect below{2500, 1500, 3000, 1900};
    EXPECT_EQ(1u, ScreenFit::Nearest(below, kTwo));
    EXPECT_EQ((LayoutRect{2500, 824, 3000, 1224}), ScreenFit::Fit(below, kTwo));

    // Only a sliver showing above the primary monitor's top: it comes down whole.
    LayoutRect sliver{200, -590, 1000, 10};
    EXPECT_FALSE(ScreenFit::IsOnScreen(sliver, kTwo));
    EXPECT_EQ((LayoutRect{200, 0, 1000, 600}), ScreenFit::Fit(sliver, kTwo));

    // Most of it on the primary monitor but its caption far above: moved down to be dragged.
    LayoutRect captionOff{100, -900, 900, 100};
    EXPECT_FALSE(ScreenFit::IsOnScreen(captionOff, kTwo));
    EXPECT_EQ((LayoutRect{100, 0, 900, 1000}), ScreenFit::Fit(captionOff, kTwo));
    // Its caption under the task bar counts as hidden too.
    EXPECT_FALSE(ScreenFit::IsOnScreen(LayoutRect{100, 1050, 900, 1650}, kTwo));

    // Larger than any work area and off screen: it takes the whole work area, not more.
    LayoutRect huge{-9000, -9000, -4000, -6000};
    EXPECT_EQ((LayoutRect{0, 0, 1920, 1040}), ScreenFit::Fit(huge, kTwo));
}

TEST(ScreenFit, TheNearestMonitorIsTheOneOverlappedMostElseTheClosest) {
    // Mostly on the second monitor, a little on the first.
    EXPECT_EQ(1u, ScreenFit::Nearest(LayoutRect{1900, 300, 2700, 900}, kTwo));
    EXPECT_EQ(0u, ScreenFit::Nearest(LayoutRect{1200, 300, 1950, 900}, kTwo));
    // In the gap above the second monitor, right of the first: nearer the second by its top edge.
    EXPECT_EQ(1u, ScreenFit::Nearest(LayoutRect{2100, -400, 2500, 150}, kTwo));
    EXPECT_EQ(0u, ScreenFit::Nearest(LayoutRect{100, 5000, 300, 5200}, {kTwo[0]}));
}

}  // namespace
