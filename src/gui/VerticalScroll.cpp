#include "gui/VerticalScroll.h"

#include <algorithm>

namespace gui {
namespace {

const int kLine = 20;

}  // namespace

void VerticalScroll::Update(HWND window, int contentHeight, int pageHeight) {
    content = std::max(contentHeight, 0);
    page = std::max(pageHeight, 0);
    offset = std::max(0, std::min(offset, content - page));
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = std::max(content - 1, 0);
    info.nPage = static_cast<UINT>(page);
    info.nPos = offset;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
}

bool VerticalScroll::MoveTo(HWND window, int wanted) {
    int moved = std::max(0, std::min(wanted, content - page));
    if (moved == offset) {
        return false;
    }
    offset = moved;
    SetScrollPos(window, SB_VERT, offset, TRUE);
    return true;
}

bool VerticalScroll::OnMessage(HWND window, UINT message, WPARAM wParam) {
    if (message == WM_MOUSEWHEEL) {
        // Three lines a notch, as the system's default wheel setting scrolls.
        return MoveTo(window, offset - GET_WHEEL_DELTA_WPARAM(wParam) * 3 * kLine / WHEEL_DELTA);
    }
    if (message != WM_VSCROLL) {
        return false;
    }
    switch (LOWORD(wParam)) {
        case SB_LINEUP:
            return MoveTo(window, offset - kLine);
        case SB_LINEDOWN:
            return MoveTo(window, offset + kLine);
        case SB_PAGEUP:
            return MoveTo(window, offset - page);
        case SB_PAGEDOWN:
            return MoveTo(window, offset + page);
        case SB_TOP:
            return MoveTo(window, 0);
        case SB_BOTTOM:
            return MoveTo(window, content);
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The message's own position has 16 bits only; the bar's tracking position has 32.
            SCROLLINFO info = {};
            info.cbSize = sizeof(info);
            info.fMask = SIF_TRACKPOS;
            GetScrollInfo(window, SB_VERT, &info);
            return MoveTo(window, info.nTrackPos);
        }
        default:
            return false;
    }
}

bool VerticalScroll::Reveal(HWND window, int top, int bottom) {
    if (top < offset) {
        return MoveTo(window, top);
    }
    if (bottom > offset + page) {
        return MoveTo(window, std::min(top, bottom - page));
    }
    return false;
}

}  // namespace gui
