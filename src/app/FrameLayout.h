#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "common/ScreenFit.h"
#include "common/WindowLayout.h"

// The frame's side of the remembered layout: puts the frame and the process windows where the
// layout of their configuration had them, and reads back where they are now. Keeps the
// arrangement the user chose last (a tiling, a cascade, or none once a window was moved).
class FrameLayout {
public:
    // A process window and its title.
    using Child = std::pair<HWND, std::wstring>;

    FrameLayout();

    // What is remembered for the configuration at path, for the start that follows.
    void Load(const std::wstring& path);
    const WindowLayout& Remembered() const { return remembered; }
    bool HasFrame() const { return remembered.hasFrame; }
    // Places the frame where it was, moved onto a monitor when it is off every one today, and
    // shows it (maximised when it was).
    void ShowFrame(HWND frame) const;
    // A window the start-up load has just made: where it was, if its title is remembered.
    void PlaceChild(HWND child, const std::wstring& title);
    // After the start-up load: the remembered window maximised again, or the remembered tiling or
    // cascade done again when a window is new. False when nothing was remembered, and the caller
    // arranges the windows its own way.
    bool ArrangeRemembered(HWND client, const std::vector<Child>& children);

    void SetArrangement(WindowLayout::Arrangement chosen) { arrangement = chosen; }
    WindowLayout::Arrangement GetArrangement() const { return arrangement; }
    // The frame and its windows as they are now; the panel is the caller's to fill in.
    WindowLayout Capture(HWND frame, const std::vector<Child>& children) const;

    // The monitors of the system, their whole and work areas.
    static std::vector<ScreenFit::Monitor> Monitors();

private:
    // A top-level window's placement is in coordinates of the work area; these are the offsets of
    // the work area from the screen's coordinates on the monitor nearest to rectangle.
    static POINT WorkAreaOffset(const RECT& rectangle);
    static LayoutRect ToLayout(const RECT& rectangle);
    static RECT ToRect(const LayoutRect& rectangle);

    WindowLayout remembered;
    bool anyRemembered;                     // a layout was read for the configuration
    size_t newWindows;                      // windows of the start-up load without a remembered place
    WindowLayout::Arrangement arrangement;  // the last one chosen
};
