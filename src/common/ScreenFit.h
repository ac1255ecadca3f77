#pragma once

#include <vector>

#include "common/WindowLayout.h"

// Keeps a remembered window on today's screens: a rectangle that shows too little of itself on
// every monitor (a monitor unplugged since, a smaller resolution) is moved onto the work area of
// the monitor nearest to it, and made smaller where it does not fit there.
class ScreenFit {
public:
    struct Monitor {
        LayoutRect area;  // the whole monitor
        LayoutRect work;  // the part not taken by task bars
    };
    // How much of a window must show on one monitor, each way, for the user to get hold of it.
    static constexpr int minimumShown = 48;

    static bool IsOnScreen(const LayoutRect& window, const std::vector<Monitor>& monitors);
    // The index of the monitor nearest to the window (the one it overlaps most, else the one at
    // the shortest distance); monitors must not be empty.
    static size_t Nearest(const LayoutRect& window, const std::vector<Monitor>& monitors);
    // The window as it is when it is on screen or there is no monitor; otherwise moved, and
    // shrunk if need be, into the nearest monitor's work area.
    static LayoutRect Fit(const LayoutRect& window, const std::vector<Monitor>& monitors);

private:
    static long long Overlap(const LayoutRect& a, const LayoutRect& b);
    static long long DistanceSquared(const LayoutRect& a, const LayoutRect& b);
    // Moves the span [start, end) inside [low, high), shortening it when it is longer.
    static void FitSpan(int& start, int& end, int low, int high);
};
