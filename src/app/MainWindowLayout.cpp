// The remembered layout: a second source file of MainWindow, for where the frame and its process
// windows are put at start-up and when what is on screen is written down.
#include "app/ConfigurationFile.h"
#include "app/LayoutStore.h"
#include "app/MainWindow.h"
#include "app/ProcessWindow.h"

namespace {

// Moves and sizes come in bursts (a drag, a tiling): the layout is written once they settle.
const UINT_PTR kLayoutTimer = 2;
const UINT kLayoutSettleMs = 1000;
// The frame's own note to itself that the start-up placing is over.
const WPARAM kPlacingDone = 2;
const int kCascade = 40301, kTileVertically = 40313, kTileHorizontally = 40314;

}  // namespace

void MainWindow::OpenFrame() {
    ConfigurationFile* file = loader.GetFile();
    layout.Load(file ? file->GetPath().GetBuffer() : L"");
    if (!layout.HasFrame()) {
        // A frame that holds several process windows wants most of the screen.
        RECT workArea = {};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
        SetPosition(0, 0, (workArea.right - workArea.left) * 4 / 5, (workArea.bottom - workArea.top) * 4 / 5,
                    SWP_NOMOVE | SWP_NOZORDER);
        MainWindowBase::OnCreate();  // centred and shown
        return;
    }
    SetIcon(100);
    SetText(ApplicationName());
    layout.ShowFrame(handle);
}

void MainWindow::ArrangeAtStart() {
    // The panel first: a tiling done again fills the room it leaves.
    const WindowLayout& remembered = layout.Remembered();
    if (remembered.hasPanel) {
        SetPanelWidth(remembered.panelWidth);
        ShowPanel(remembered.panelShown);
    }
    if (!layout.ArrangeRemembered(mdiClient.GetHandle(), LayoutChildren())) {
        ArrangeChildren();  // one window maximised (which the layout sees by itself), or a tiling
        layout.SetArrangement(WindowLayout::Arrangement::TileVertically);
    }
    // The windows' notes of their start-up places are posted before this one and come first.
    PostMessageW(handle, ProcessWindow::layoutMessage, kPlacingDone, 0);
}

std::vector<FrameLayout::Child> MainWindow::LayoutChildren() {
    std::vector<FrameLayout::Child> children;
    for (ProcessWindow* window : processWindows.Windows()) {
        String title;
        window->GetText(title);
        children.emplace_back(window->GetHandle(), title.IsNull() ? L"" : title.GetBuffer());
    }
    return children;
}

void MainWindow::SaveLayout() {
    KillTimer(handle, kLayoutTimer);
    ConfigurationFile* file = loader.GetFile();
    if (!file || !handle) {
        return;
    }
    WindowLayout now = layout.Capture(handle, LayoutChildren());
    now.hasPanel = true;
    now.panelShown = IsPanelShown();
    now.panelWidth = GetPanelWidth();
    LayoutStore::Write(file->GetPath().GetBuffer(), now);
}

void MainWindow::ScheduleLayoutSave() {
    if (layoutReady && !exiting) {
        SetTimer(handle, kLayoutTimer, kLayoutSettleMs, nullptr);  // a pending one starts over
    }
}

bool MainWindow::OnLayoutTimer(WPARAM timerId) {
    if (timerId != kLayoutTimer) {
        return false;
    }
    SaveLayout();
    return true;
}

void MainWindow::OnLayoutMessage(UINT message, WPARAM wParam) {
    if (message == WM_EXITSIZEMOVE || (message == WM_SIZE && wParam != SIZE_MINIMIZED)) {
        ScheduleLayoutSave();
    } else if (message == ProcessWindow::layoutMessage && wParam == kPlacingDone) {
        layoutReady = true;
    } else if (message == ProcessWindow::layoutMessage) {
        if (wParam == ProcessWindow::movedByUser) {
            layout.SetArrangement(WindowLayout::Arrangement::Free);  // no longer the tiling it was
        }
        ScheduleLayoutSave();
    }
}

void MainWindow::LayoutArranged(int command) {
    if (command == kCascade) {
        layout.SetArrangement(WindowLayout::Arrangement::Cascade);
    } else if (command == kTileVertically) {
        layout.SetArrangement(WindowLayout::Arrangement::TileVertically);
    } else if (command == kTileHorizontally) {
        layout.SetArrangement(WindowLayout::Arrangement::TileHorizontally);
    } else {
        return;
    }
    ScheduleLayoutSave();
}

