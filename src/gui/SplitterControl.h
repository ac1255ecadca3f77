#pragma once

#include <windows.h>

#include "gui/SplitterDrag.h"
#include "gui/WindowControl.h"

namespace gui {

// Two panes separated by a bar that the user drags: side by side (orientation 0) or one above
// the other (orientation 1). The panes follow the bar when the button is released.
class SplitterControl : public WindowControl {
public:
    enum Orientation { Vertical = 0, Horizontal = 1 };

    explicit SplitterControl(int orientation = Vertical);

    void OnRegisterClass(WNDCLASSEXW& description) override;
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnSize(WPARAM wParam, LPARAM lParam) override;

    // Shows the new panes (hiding ones they replace) and places them. A null pane leaves its side
    // empty.
    void SetPanes(Window* first, Window* second);
    int GetPosition() const { return drag.GetPosition(); }
    void SetBarPosition(int value) { drag.SetPosition(value); }
    bool IsDragging() const { return drag.IsDragging(); }
    int GetOrientation() const { return orientation; }

private:
    void PlacePane(Window* pane, bool first);
    // Hides the pane of one side and shows its replacement; false when the side keeps its pane.
    bool ReplacePane(Window*& side, Window* pane);
    void OnMouseMove(WPARAM wParam, LPARAM lParam);
    void ShowSizingCursor();

    int orientation;
    Window* firstPane;   // not owned
    Window* secondPane;  // not owned
    HCURSOR cursor;
    SplitterDrag drag;
};

}  // namespace gui
