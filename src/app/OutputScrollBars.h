#pragma once

#include <windows.h>

class OutputView;

// The scroll bars and the wheel of an output view: the bars show where the view is among the
// held lines (and how far right it is), their requests and the wheel (tilted, or with Shift,
// sideways) move it, by the system's settings for lines and characters a notch.
class OutputScrollBars {
public:
    explicit OutputScrollBars(OutputView& view);
    OutputScrollBars(const OutputScrollBars&) = delete;
    OutputScrollBars& operator=(const OutputScrollBars&) = delete;

    // Sets both bars from the view's place; redraw false leaves drawing them to the next paint.
    void Update(bool redraw = true);
    // A WM_VSCROLL (bar SB_VERT) or WM_HSCROLL request.
    void OnScroll(int bar, int request);
    void OnWheel(int delta, bool horizontal);

private:
    OutputView& view;  // the owner
    int wheelRest;     // wheel movement not yet turned into lines
    int tiltRest;
};
