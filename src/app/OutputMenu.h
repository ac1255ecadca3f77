#pragma once

#include <windows.h>

class OutputView;

// The output view's context menu: Copy and Select All act on the view itself; Find, Clear and Save
// Window Contents are the frame's commands for the active window, which the view's window is once
// it is clicked or has the keyboard.
class OutputMenu {
public:
    explicit OutputMenu(OutputView& view);

    // Shows the menu at the screen point of a WM_CONTEXTMENU (-1, -1 from the keyboard: at the
    // view's top left corner) and carries out what is chosen.
    void Show(LPARAM where);

private:
    POINT Place(LPARAM where) const;
    void Run(int command);

    OutputView& view;
};
