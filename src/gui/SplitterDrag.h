#pragma once

namespace gui {

// The splitter bar's drag rule: a press anywhere starts a drag, moves with only the left button
// held carry the bar along (but never into the first 10 pixels nor past the far edge), the release
// ends it. The panes follow on release, not on every move.
class SplitterDrag {
public:
    static const int defaultPosition = 130;
    static const unsigned leftButtonOnly = 1;  // MK_LBUTTON

    SplitterDrag() : position(defaultPosition), dragging(false) {}

    void Press() { dragging = true; }
    void Release() { dragging = false; }
    bool IsDragging() const { return dragging; }
    int GetPosition() const { return position; }
    void SetPosition(int value) { position = value; }

    // c is the pointer coordinate along the moving axis, buttons the wParam of the move and limit
    // the client's far edge on that axis. True when the position changed.
    bool Move(unsigned c, unsigned buttons, int limit);
    // True when c is within the bar (where the sizing cursor shows). Moves at or below 10 are
    // ignored entirely, so the bar never claims them either.
    bool IsOverBar(unsigned c) const;
    static bool IsIgnored(unsigned c) { return c <= 10; }

private:
    int position;
    bool dragging;
};

}  // namespace gui
