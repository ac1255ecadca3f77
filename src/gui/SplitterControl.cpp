#include "gui/SplitterControl.h"

#include "gui/ControlLayout.h"

namespace gui {

SplitterControl::SplitterControl(int orientation)
    : WindowControl(L"SplitterControl"), orientation(orientation), firstPane(nullptr), secondPane(nullptr),
      cursor(nullptr) {
    registerClass = true;
    // The frame procedure without an MDI client gives the bar plain default processing.
    kind = FrameWindow;
}

void SplitterControl::OnRegisterClass(WNDCLASSEXW& description) {
    description.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
}

LRESULT SplitterControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
            // The panes' controls talk to the window that owns the splitter.
            return SendMessageW(GetParent(window), message, wParam, lParam);
        case WM_SIZE:
            OnSize(wParam, lParam);
            break;
        case WM_LBUTTONDOWN:
            ShowSizingCursor();
            drag.Press();
            SetCapture(window);
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(wParam, lParam);
            return 0;
        case WM_LBUTTONUP:
            ReleaseCapture();
            drag.Release();
            OnSize(0, 0);
            return 0;
        default:
            break;
    }
    return Dispatch(window, message, wParam, lParam);
}

void SplitterControl::ShowSizingCursor() {
    if (!cursor) {
        cursor = LoadCursorW(nullptr, orientation == Vertical ? IDC_SIZEWE : IDC_SIZENS);
    }
    SetCursor(cursor);
}

void SplitterControl::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    unsigned c = orientation == Vertical ? LOWORD(lParam) : HIWORD(lParam);
    if (SplitterDrag::IsIgnored(c)) {
        return;
    }
    if (drag.IsOverBar(c)) {
        ShowSizingCursor();
    }
    RECT client = {};
    GetClientRect(handle, &client);
    drag.Move(c, static_cast<unsigned>(wParam), orientation == Vertical ? client.right : client.bottom);
}

void SplitterControl::OnSize(WPARAM, LPARAM) {
    PlacePane(firstPane, true);
    PlacePane(secondPane, false);
}

void SplitterControl::PlacePane(Window* pane, bool first) {
    if (!pane) {
        return;
    }
    RECT client = {};
    GetClientRect(handle, &client);
    Placement firstPlace = {};
    Placement secondPlace = {};
    ControlLayout::SplitterPanes(orientation, drag.GetPosition(), client.right, client.bottom, firstPlace,
                                 secondPlace);
    const Placement& place = first ? firstPlace : secondPlace;
    pane->SetPosition(place.x, place.y, place.width, place.height, SWP_SHOWWINDOW);
}

void SplitterControl::SetPanes(Window* first, Window* second) {
    bool firstChanged = ReplacePane(firstPane, first);
    bool secondChanged = ReplacePane(secondPane, second);
    if (firstChanged && secondChanged) {
        OnSize(0, 0);
    } else if (firstChanged) {
        PlacePane(firstPane, true);
    } else if (secondChanged) {
        PlacePane(secondPane, false);
    }
}

bool SplitterControl::ReplacePane(Window*& side, Window* pane) {
    if (pane == side) {
        return false;
    }
    if (side) {
        ShowWindow(side->GetHandle(), SW_HIDE);
    }
    side = pane;
    if (side) {
        ShowWindow(side->GetHandle(), SW_SHOWNORMAL);
    }
    return true;
}

}  // namespace gui
