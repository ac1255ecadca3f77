#include "app/MainWindow.h"
#include "app/ProcessWindow.h"

// The frame's process panel: View > Show the tree panel, and its place beside the MDI client.

namespace {

const int kTreePanel = 40203;
// The MDI client's least width beside the process panel.
const int kClientSliver = 100;

}  // namespace

void MainWindow::ShowPanel(bool shown) {
    panel.Show(handle, shown);
    if (handle) {
        CheckMenuItem(GetMenu(handle), kTreePanel, shown ? MF_CHECKED : MF_UNCHECKED);
        OnSize(0, 0);
        ScheduleLayoutSave();
    }
}

void MainWindow::SetPanelWidth(int width) {
    panel.SetWidth(width);
    if (handle) {
        OnSize(0, 0);
    }
}

void MainWindow::PlacePanel(RECT& area) {
    if (!panel.IsShown() || !panel.GetHandle()) {
        return;
    }
    // The client keeps a sliver however narrow the frame: the panel never covers it all.
    int room = area.right - area.left - kClientSliver;
    int width = panel.GetWidth() < room ? panel.GetWidth() : room;
    width = width > 0 ? width : 0;
    panel.SetPosition(area.left, area.top, width, area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    area.left += width;
}

void MainWindow::RefreshPanelSoon() {
    // Start All on many windows sends two notes from each: the panel looks at its rows once, after
    // the notes waiting now, rather than once for every note.
    if (!panelRefreshPending && handle) {
        panelRefreshPending = PostMessageW(handle, ProcessWindow::panelMessage, 0, kPanelRefreshNow) != FALSE;
    }
}
