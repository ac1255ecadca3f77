#include "common/ScreenFit.h"

#include <algorithm>

namespace {

int Gap(int startA, int endA, int startB, int endB) {
    if (endA <= startB) {
        return startB - endA;
    }
    if (endB <= startA) {
        return startA - endB;
    }
    return 0;
}

}  // namespace

long long ScreenFit::Overlap(const LayoutRect& a, const LayoutRect& b) {
    long long width = std::min(a.right, b.right) - std::max(a.left, b.left);
    long long height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

long long ScreenFit::DistanceSquared(const LayoutRect& a, const LayoutRect& b) {
    long long dx = Gap(a.left, a.right, b.left, b.right);
    long long dy = Gap(a.top, a.bottom, b.top, b.bottom);
    return dx * dx + dy * dy;
}

bool ScreenFit::IsOnScreen(const LayoutRect& window, const std::vector<Monitor>& monitors) {
    // What must show is the top strip, where the caption is: a window whose caption is off
    // every work area cannot be dragged back, however much of the rest shows. A window smaller
    // than the minimum need only show whole.
    int wantWidth = std::min(minimumShown, window.Width());
    int wantHeight = std::min(minimumShown, window.Height());
    LayoutRect caption{window.left, window.top, window.right, window.top + wantHeight};
    for (const Monitor& monitor : monitors) {
        const LayoutRect& area = monitor.work;
        int width = std::min(caption.right, area.right) - std::max(caption.left, area.left);
        int height = std::min(caption.bottom, area.bottom) - std::max(caption.top, area.top);
        if (width >= wantWidth && height >= wantHeight && width > 0 && height > 0) {
            return true;
        }
    }
    return false;
}

size_t ScreenFit::Nearest(const LayoutRect& window, const std::vector<Monitor>& monitors) {
    size_t best = 0;
    for (size_t index = 1; index < monitors.size(); ++index) {
        long long overlap = Overlap(window, monitors[index].area);
        long long bestOverlap = Overlap(window, monitors[best].area);
        if (overlap > bestOverlap ||
            (overlap == 0 && bestOverlap == 0 &&
             DistanceSquared(window, monitors[index].area) < DistanceSquared(window, monitors[best].area))) {
            best = index;
        }
    }
    return best;
}

void ScreenFit::FitSpan(int& start, int& end, int low, int high) {
    int length = std::min(end - start, high - low);
    start = std::max(low, std::min(start, high - length));
    end = start + length;
}

LayoutRect ScreenFit::Fit(const LayoutRect& window, const std::vector<Monitor>& monitors) {
    if (monitors.empty() || IsOnScreen(window, monitors)) {
        return window;
    }
    const LayoutRect& work = monitors[Nearest(window, monitors)].work;
    LayoutRect fitted = window;
    FitSpan(fitted.left, fitted.right, work.left, work.right);
    FitSpan(fitted.top, fitted.bottom, work.top, work.bottom);
    return fitted;
}
