#include "app/OutputMouse.h"

#include <cstdlib>

#include "app/OutputView.h"

namespace {

// The view's own timer for scrolling while a drag is held outside it.
const UINT_PTR kDragTimer = 1;
const UINT kDragIntervalMs = 50;

}  // namespace

OutputMouse::OutputMouse(OutputView& view)
    : view(view), clicks(0), lastClick(0), lastClickAt(), dragging(false), dragAt() {}

void OutputMouse::OnButtonDown(int x, int y, bool extend) {
    HWND handle = view.GetHandle();
    SetFocus(handle);
    SetCapture(handle);
    DWORD now = GetTickCount();
    bool nearby = std::abs(x - lastClickAt.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
                  std::abs(y - lastClickAt.y) <= GetSystemMetrics(SM_CYDOUBLECLK);
    clicks = (nearby && now - lastClick <= GetDoubleClickTime() && clicks < 3) ? clicks + 1 : 1;
    lastClick = now;
    lastClickAt = {x, y};
    util::TextPosition at = view.HitTest(x, y);
    if (clicks == 2) {
        view.selection.SelectWord(view.store, at);
    } else if (clicks == 3) {
        view.selection.SelectLine(view.store, at.line);
    } else if (extend) {
        view.selection.ExtendTo(at);
    } else {
        view.selection.Collapse(at);
    }
    dragging = clicks == 1;
    dragAt = {x, y};
    view.Selected();
}

void OutputMouse::OnMouseMove(int x, int y) {
    if (!dragging) {
        return;
    }
    dragAt = {x, y};
    view.selection.ExtendTo(view.HitTest(x, y));
    view.Selected();
    RECT area = {};
    GetClientRect(view.GetHandle(), &area);
    if (y < 0 || y >= area.bottom || x < 0 || x >= area.right) {
        SetTimer(view.GetHandle(), kDragTimer, kDragIntervalMs, nullptr);  // outside: scroll towards the mouse
    }
}

bool OutputMouse::OnTimer(WPARAM timerId) {
    if (timerId != kDragTimer) {
        return false;
    }
    HWND handle = view.GetHandle();
    RECT area = {};
    GetClientRect(handle, &area);
    int height = view.painter.LineHeight();
    int64_t lines =
        dragAt.y < 0 ? dragAt.y / height - 1 : (dragAt.y >= area.bottom ? (dragAt.y - area.bottom) / height + 1 : 0);
    int cells = dragAt.x < 0 ? -2 : (dragAt.x >= area.right ? 2 : 0);
    if (!dragging || (lines == 0 && cells == 0)) {
        KillTimer(handle, kDragTimer);
        return true;
    }
    view.ScrollLines(lines);
    view.ScrollTo(view.scroll.Top(), view.scroll.Left() + cells * view.painter.CellWidth(), false);
    view.selection.ExtendTo(view.HitTest(dragAt.x, dragAt.y));
    view.Selected();
    return true;
}

void OutputMouse::OnButtonUp() {
    HWND handle = view.GetHandle();
    if (dragging) {
        dragging = false;
        KillTimer(handle, kDragTimer);
    }
    if (GetCapture() == handle) {
        ReleaseCapture();
    }
}
