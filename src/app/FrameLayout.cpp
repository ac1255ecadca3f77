#include "app/FrameLayout.h"

#include "app/LayoutStore.h"

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info)) {
        auto* monitors = reinterpret_cast<std::vector<ScreenFit::Monitor>*>(data);
        ScreenFit::Monitor found;
        found.area = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
        found.work = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
        monitors->push_back(found);
    }
    return TRUE;
}

}  // namespace

FrameLayout::FrameLayout() : anyRemembered(false), newWindows(0), arrangement(WindowLayout::Arrangement::Free) {}

void FrameLayout::Load(const std::wstring& path) {
    remembered = WindowLayout();
    anyRemembered = LayoutStore::Read(path, remembered);
    newWindows = 0;
    arrangement = remembered.arrangement == WindowLayout::Arrangement::Maximized ? WindowLayout::Arrangement::Free
                                                                                 : remembered.arrangement;
}

std::vector<ScreenFit::Monitor> FrameLayout::Monitors() {
    std::vector<ScreenFit::Monitor> monitors;
    EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

LayoutRect FrameLayout::ToLayout(const RECT& rectangle) {
    return {rectangle.left, rectangle.top, rectangle.right, rectangle.bottom};
}

RECT FrameLayout::ToRect(const LayoutRect& rectangle) {
    return {rectangle.left, rectangle.top, rectangle.right, rectangle.bottom};
}

POINT FrameLayout::WorkAreaOffset(const RECT& rectangle) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromRect(&rectangle, MONITOR_DEFAULTTONEAREST), &info)) {
        return {0, 0};
    }
    return {info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top};
}

void FrameLayout::ShowFrame(HWND frame) const {
    // Remembered in screen coordinates: the monitors may have moved since.
    RECT screen = ToRect(ScreenFit::Fit(remembered.frame.normal, Monitors()));
    POINT offset = WorkAreaOffset(screen);
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    placement.showCmd = remembered.frame.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    placement.rcNormalPosition = screen;
    OffsetRect(&placement.rcNormalPosition, -offset.x, -offset.y);
    SetWindowPlacement(frame, &placement);
}

void FrameLayout::PlaceChild(HWND child, const std::wstring& title) {
    const LayoutPlacement* place = remembered.FindChild(title);
    if (!place) {
        ++newWindows;  // it keeps the place the client gives a new window
        return;
    }
    // Maximising waits for the load's end: in the client it is one window's state, not a place.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    placement.showCmd = SW_SHOWNORMAL;
    placement.rcNormalPosition = ToRect(place->normal);
    SetWindowPlacement(child, &placement);
}

bool FrameLayout::ArrangeRemembered(HWND client, const std::vector<Child>& children) {
    if (!anyRemembered) {
        return false;
    }
    switch (remembered.arrangement) {
        case WindowLayout::Arrangement::Maximized:
            for (const Child& child : children) {
                const LayoutPlacement* place = remembered.FindChild(child.second);
                if (place && place->maximized) {
                    SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child.first), 0);
                    break;
                }
            }
            break;
        case WindowLayout::Arrangement::TileVertically:
        case WindowLayout::Arrangement::TileHorizontally:
            if (newWindows > 0) {
                bool vertically = remembered.arrangement == WindowLayout::Arrangement::TileVertically;
                SendMessageW(client, WM_MDITILE, vertically ? MDITILE_VERTICAL : MDITILE_HORIZONTAL, 0);
            }
            break;
        case WindowLayout::Arrangement::Cascade:
            if (newWindows > 0) {
                SendMessageW(client, WM_MDICASCADE, 0, 0);
            }
            break;
        case WindowLayout::Arrangement::Free:
            break;
    }
    return true;
}

WindowLayout FrameLayout::Capture(HWND frame, const std::vector<Child>& children) const {
    WindowLayout layout;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(frame, &placement)) {
        RECT screen = placement.rcNormalPosition;
        POINT offset = WorkAreaOffset(screen);
        OffsetRect(&screen, offset.x, offset.y);
        layout.hasFrame = true;
        layout.frame.normal = ToLayout(screen);
        // Minimised (or in the tray) from a maximised frame, it comes back maximised.
        layout.frame.maximized = placement.showCmd == SW_SHOWMAXIMIZED ||
                                 (IsIconic(frame) && (placement.flags & WPF_RESTORETOMAXIMIZED) != 0) ||
                                 IsZoomed(frame);
    }
    layout.arrangement = arrangement;
    for (const Child& child : children) {
        WINDOWPLACEMENT place = {};
        place.length = sizeof(place);
        if (!GetWindowPlacement(child.first, &place)) {
            continue;
        }
        WindowLayout::Child remembered;
        remembered.title = child.second;
        remembered.placement.normal = ToLayout(place.rcNormalPosition);
        remembered.placement.maximized = IsZoomed(child.first) != FALSE;
        if (remembered.placement.maximized) {
            layout.arrangement = WindowLayout::Arrangement::Maximized;
        }
        layout.children.push_back(remembered);
    }
    return layout;
}
