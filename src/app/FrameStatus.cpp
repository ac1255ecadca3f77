#include "app/FrameStatus.h"

#include <commctrl.h>

#include "app/ProcessWindow.h"
#include "gui/StatusBarControl.h"
#include "gui/ToolBarControl.h"
#include "util/Exception.h"

namespace {

const int kStart = 40002;
const int kRestart = 40003;
const int kStop = 40004;
// The commands that act on the active process window: the three above, Save Window Contents,
// Clear, Log to screen, Find, Find Next, Find Previous and Show timestamps.
const int kProcessCommands[] = {kStart, kStop, kRestart, 501, 40201, 40202, 40204, 40205, 40206, 40207};

}  // namespace

FrameStatus::FrameStatus(gui::Window& frame, gui::ToolBarControl& toolbar, gui::StatusBarControl& statusBar)
    : frame(frame), toolbar(toolbar), statusBar(statusBar) {}

void FrameStatus::SetCommandEnabled(int commandId, bool enabled) {
    SendMessageW(toolbar.GetHandle(), TB_ENABLEBUTTON, commandId, MAKELPARAM(enabled ? TRUE : FALSE, 0));
    HMENU menu = GetMenu(frame.GetHandle());
    if (menu) {
        EnableMenuItem(menu, commandId, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

void FrameStatus::ShowNone() {
    for (int command : kProcessCommands) {
        SetCommandEnabled(command, false);
    }
    statusBar.SetText(L"");
}

void FrameStatus::Show(ProcessWindow* active, int state) {
    if (state < ProcessWindow::Stopped || state > ProcessWindow::Waiting) {
        throw new Exception(L"MainWindow::SetCurrentProcessStatus()\nWTF %i", state);
    }
    for (int command : kProcessCommands) {
        SetCommandEnabled(command, true);  // Start, Stop and Restart are set right below
    }
    // While stopping, Start waits for the end; a second Stop ends the job again. While waiting,
    // Start starts at once and Stop ends the wait.
    SetCommandEnabled(kStart, state == ProcessWindow::Stopped || state == ProcessWindow::Waiting);
    SetCommandEnabled(kStop, state != ProcessWindow::Stopped);
    SetCommandEnabled(kRestart, state == ProcessWindow::Running);
    statusBar.SetText(Text(active, state).c_str());
    if (active) {
        active->SetStateIcon(state);
    }
}

std::wstring FrameStatus::Text(ProcessWindow* active, int state) {
    if (state == ProcessWindow::Waiting && active && active->IsWaiting()) {
        return active->GetWaitingText();
    }
    String name(L"<no name>");
    if (active) {
        active->GetText(name);
    }
    const wchar_t* format = state == ProcessWindow::Running    ? L"Process \"%s\" is running ..."
                            : state == ProcessWindow::Stopping ? L"Process \"%s\" is stopping ..."
                                                               : L"Process \"%s\" is stopped ...";
    String text;
    text.Format(format, name.GetBuffer());
    if (state == ProcessWindow::Stopped && active) {
        text.Append(active->GetEndNote().c_str());
    }
    return text.GetBuffer();
}
