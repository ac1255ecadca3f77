#pragma once

#include <windows.h>

class OutputView;

// The mouse in an output view: a click places the selection's caret (with Shift it extends the
// selection), a double click selects a word and a triple click a line; dragging extends the
// selection, and held outside the window it scrolls towards the mouse.
class OutputMouse {
public:
    explicit OutputMouse(OutputView& view);
    OutputMouse(const OutputMouse&) = delete;
    OutputMouse& operator=(const OutputMouse&) = delete;

    void OnButtonDown(int x, int y, bool extend);
    void OnMouseMove(int x, int y);
    // The drag timer: scrolls while the mouse is held outside. False for another timer.
    bool OnTimer(WPARAM timerId);
    void OnButtonUp();
    // A selection is being dragged: output must not move the view under it.
    bool IsDragging() const { return dragging; }

private:
    OutputView& view;  // the owner
    int clicks;        // clicks in a row, for double and triple clicks
    DWORD lastClick;
    POINT lastClickAt;
    bool dragging;
    POINT dragAt;
};
