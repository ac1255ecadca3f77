#include "app/OutputScrollBars.h"

#include <algorithm>
#include <cstdint>

#include "app/OutputView.h"

namespace {

UINT WheelSetting(UINT what, UINT fallback) {
    UINT value = fallback;
    return SystemParametersInfoW(what, 0, &value, 0) ? value : fallback;
}

}  // namespace

OutputScrollBars::OutputScrollBars(OutputView& view) : view(view), wheelRest(0), tiltRest(0) {}

void OutputScrollBars::Update(bool redraw) {
    if (!view.GetHandle()) {
        return;
    }
    RECT area = {};
    GetClientRect(view.GetHandle(), &area);
    SCROLLINFO vertical = {sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    vertical.nMax = static_cast<int>(std::min<size_t>(view.store.Count(), INT32_MAX) - 1);
    vertical.nPage = static_cast<UINT>(view.PageLines());
    vertical.nPos = static_cast<int>(view.scroll.VerticalPosition(view.store));
    SetScrollInfo(view.GetHandle(), SB_VERT, &vertical, redraw);
    SCROLLINFO horizontal = {sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    horizontal.nMax = view.scroll.MaxLeft() + static_cast<int>(area.right) - 1;
    horizontal.nPage = static_cast<UINT>(area.right);
    horizontal.nPos = view.scroll.Left();
    SetScrollInfo(view.GetHandle(), SB_HORZ, &horizontal, redraw);
}

void OutputScrollBars::OnScroll(int bar, int request) {
    bool vertical = bar == SB_VERT;
    int64_t line = vertical ? 1 : view.painter.CellWidth();
    RECT area = {};
    GetClientRect(view.GetHandle(), &area);
    int64_t page = vertical ? std::max(1, view.PageLines() - 1) : std::max<int64_t>(line, area.right - line);
    int64_t position = vertical ? view.scroll.VerticalPosition(view.store) : view.scroll.Left();
    int64_t target = position;
    switch (LOWORD(request)) {
        case SB_LINEUP:
            target -= line;
            break;
        case SB_LINEDOWN:
            target += line;
            break;
        case SB_PAGEUP:
            target -= page;
            break;
        case SB_PAGEDOWN:
            target += page;
            break;
        case SB_TOP:
            target = 0;
            break;
        case SB_BOTTOM:
            target = INT32_MAX;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The 32-bit place of the thumb; the message itself carries only 16 bits of it, which
            // a program that sends the request itself gives.
            SCROLLINFO info = {sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
            GetScrollInfo(view.GetHandle(), bar, &info);
            bool tracked = LOWORD(request) == SB_THUMBTRACK || (info.nTrackPos & 0xFFFF) == HIWORD(request);
            target = tracked ? info.nTrackPos : HIWORD(request);
            break;
        }
        default:
            return;
    }
    target = std::max<int64_t>(0, target);
    if (vertical) {
        view.ScrollTo(view.store.FirstNumber() + static_cast<uint64_t>(target), view.scroll.Left(), true);
    } else {
        view.ScrollTo(view.scroll.Top(), static_cast<int>(std::min<int64_t>(target, INT32_MAX)), false);
    }
}

void OutputScrollBars::OnWheel(int delta, bool horizontal) {
    int& rest = horizontal ? tiltRest : wheelRest;
    rest += delta;
    int steps = rest / WHEEL_DELTA;
    rest -= steps * WHEEL_DELTA;
    if (steps == 0) {
        return;
    }
    if (horizontal) {
        int cells = static_cast<int>(WheelSetting(SPI_GETWHEELSCROLLCHARS, 3));
        // Turned away from the user (or tilted left): towards the lines' starts.
        view.ScrollTo(view.scroll.Top(), view.scroll.Left() - steps * cells * view.painter.CellWidth(), false);
        return;
    }
    UINT lines = WheelSetting(SPI_GETWHEELSCROLLLINES, 3);
    int64_t amount = lines == WHEEL_PAGESCROLL ? view.PageLines() : static_cast<int64_t>(lines);
    view.ScrollLines(-steps * amount);  // a wheel turned away from the user scrolls up
}
