#pragma once

#include <windows.h>

namespace gui {

// The vertical scroll bar of a window whose content is taller than its client area: the window
// lays its content out shifted up by GetOffset() and lays it out again when a message moved it.
class VerticalScroll {
public:
    // Sets the bar for content contentHeight high in a client pageHeight high (showing or hiding
    // it, which may resize the window) and keeps the offset within the content.
    void Update(HWND window, int contentHeight, int pageHeight);
    // WM_VSCROLL and WM_MOUSEWHEEL; true when the offset changed.
    bool OnMessage(HWND window, UINT message, WPARAM wParam);
    // Moves the offset the least that shows the rows from top to bottom (content coordinates).
    bool Reveal(HWND window, int top, int bottom);
    int GetOffset() const { return offset; }

private:
    bool MoveTo(HWND window, int wanted);

    int offset = 0;
    int content = 0;
    int page = 0;
};

}  // namespace gui
