#include "app/ProcessWindow.h"

#include <memory>

#include "app/ProcessInfo.h"
#include "common/ExitLine.h"
#include "common/Process.h"
#include "gui/FileDialogs.h"
#include "util/ConsoleInterpreter.h"
#include "util/Exception.h"

namespace {

const int kStartCommand = 40002;
const int kRestartCommand = 40003;
const int kStopCommand = 40004;
const int kLogToScreenCommand = 40202;
const int kShowTimestampsCommand = 40207;

}  // namespace

// A stopped run ends within milliseconds; one that does not is left behind rather than waited
// for without end.
DWORD ProcessWindow::disposeWaitMs = 5000;

ProcessWindow::ProcessWindow()
    : MDIChildWindow(L"ProcessWindow"),
      info(nullptr),
      findBar(view),
      runs([this](Exception* failure) { ShowFailure(failure); }),
      startWhenEnded(false),
      autoStartWhenEnded(false),
      closeWhenEnded(false),
      stopAskedAt(0),
      hasRun(false),
      wait({[this](const wchar_t* text) { Log(text); }, [this] { StartCurrent(); }, [this] { ShowState(); },
            [this] { NotifyStartOrder(); }}),
      output(*this, view, outputMessage),
      frame(*this) {}

ProcessWindow::~ProcessWindow() {
    // A window destroyed without its handlers (the system took it) must still end its process.
    ReleaseProcess();
    delete info;
}

void ProcessWindow::OnCreate() {
    view.Create(handle);
    // The system may have activated this window, and given it the keyboard, before it had a view.
    if (GetFocus() == handle) {
        SetFocus(view.GetHandle());
    }
    view.SetCapacity(OutputView::ReadScrollbackSetting(), ProcessOutput::capacity + 64 * 1024);
    findBar.SetLayout([this] { OnSize(0, 0); });
    output.SetLogToScreen(true);
    CheckViewItems();
    OnSize(0, 0);
    SetStateIcon(0);
}

void ProcessWindow::OnDestroy() {
    SetProcessInfo(nullptr);
    MDIChildWindow::OnDestroy();
    // Once this window is gone the frame looks again at which process, if any, it shows.
    frame.Post(statusMessage, reinterpret_cast<WPARAM>(handle), 0);
}

void ProcessWindow::OnSize(WPARAM, LPARAM) {
    RECT area = {};
    GetClientRect(handle, &area);
    findBar.Place(area);
    if (view.GetHandle()) {
        view.SetPosition(area, SWP_SHOWWINDOW | SWP_NOZORDER);
    }
}

LRESULT ProcessWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    frame.Forward(wParam, lParam);
    return 0;
}

int ProcessWindow::OnClose() {
    if (closeWhenEnded) {
        EndRuns();  // a second close: whatever the job still holds ends now
        return 1;
    }
    // A run already asked to stop is ending anyway: no need to ask.
    if (CountRuns() > 0 && !runs.StopRequested()) {
        String caption;
        GetText(caption);
        String question;
        question.Format(L"Closing this window will terminate %s.\nAre you sure you want to close?",
                        caption.GetBuffer());
        HWND owner = frame.Find() ? frame.Find() : handle;
        if (MessageBoxW(owner, question.GetBuffer(), L"Close", MB_OKCANCEL | MB_ICONEXCLAMATION | MB_SETFOREGROUND) !=
            IDOK) {
            return 1;
        }
    }
    if (CountRuns() > 0) {
        // The window stays until the run has ended: its last lines are shown, and nothing of it
        // is waited for here.
        closeWhenEnded = true;
        startWhenEnded = autoStartWhenEnded = false;
        EndRuns();
        if (CountRuns() > 0) {
            return 1;
        }
    }
    SetProcessInfo(nullptr);
    MDIDestroy();
    return 1;
}

LRESULT ProcessWindow::OnActivate() {
    CheckViewItems();  // the View menu's check marks are the active window's
    if (runs.Current()) {
        NotifyFrame(GetState());
    }
    return MDIChildWindow::OnActivate();
}

LRESULT ProcessWindow::OnTimer(WPARAM timerId) {
    if (timerId == ProcessOutput::timerId) {
        output.Show();
    } else if (timerId == stoppingTimerId) {
        KillTimer(handle, stoppingTimerId);
        ShowState();
    }
    return 0;
}

LRESULT ProcessWindow::OnMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == outputMessage) {
        output.Show();
        return 1;
    }
    if (message == readyMessage) {
        NotifyStartOrder();
        return 1;
    }
    if (message == stateMessage) {
        // The note may be late (a restart since): the processes themselves say how things are now.
        OnRunEnded();
        return 1;
    }
    if (message == runFailedMessage) {
        wchar_t title[256] = {};
        GetWindowTextW(handle, title, 256);
        // The code came with the message: by now the restart policy may have started another run.
        failureNotice.RunFailed(frame.Find(), handle,
                                std::wstring(title) + L": " +
                                    ExitLine::Note(static_cast<uint32_t>(wParam), ExitLine::Reason::ByItself));
        return 1;
    }
    if (message == failureMessage) {
        std::wstring text;
        {
            CriticalSection::Lock hold(failureLock);
            text.swap(failure);
        }
        if (!text.empty()) {
            ShowFailure(new Exception(L"%s", text.c_str()));
        }
        return 1;
    }
    return 0;
}

LRESULT ProcessWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = MDIChildWindow::WindowProc(window, message, wParam, lParam);
    if (message == WM_SETFOCUS && view.GetHandle()) {
        SetFocus(view.GetHandle());
    }
    // The frame writes its layout down once the moves settle.
    bool moved = message == WM_EXITSIZEMOVE;
    if ((moved || (message == WM_SIZE && wParam != SIZE_MINIMIZED)) && frameWindow && frameWindow->GetHandle()) {
        PostMessageW(frameWindow->GetHandle(), layoutMessage, moved ? movedByUser : 0, 0);
    }
    return result;
}

bool ProcessWindow::IsProcessRunning() const {
    return runs.IsCurrentRunning();
}

int ProcessWindow::CountRuns() const {
    return runs.Count();
}

ProcessWindow::State ProcessWindow::GetState() const {
    if (CountRuns() == 0) {
        return wait.IsWaiting() ? Waiting : Stopped;
    }
    if (runs.StopRequested() && stopAskedAt != 0 && GetTickCount64() - stopAskedAt >= stoppingAfterMs) {
        return Stopping;
    }
    return Running;
}

void ProcessWindow::EndRuns() {
    startWhenEnded = autoStartWhenEnded = false;  // whoever ends the runs wants nothing started after
    wait.Stop();
    runs.Terminate();
    MarkStopping();
}

void ProcessWindow::MarkStopping() {
    if (CountRuns() > 0 && handle) {
        stopAskedAt = GetTickCount64();
        SetTimer(handle, stoppingTimerId, stoppingAfterMs, nullptr);
    }
}

void ProcessWindow::OnRunEnded() {
    runs.DisposeEnded(disposeWaitMs);
    TrackRunEnd();
    if (CountRuns() == 0) {
        stopAskedAt = 0;
        if (closeWhenEnded) {
            SetProcessInfo(nullptr);
            MDIDestroy();
            return;
        }
        bool start = startWhenEnded;
        bool automatic = autoStartWhenEnded;
        startWhenEnded = autoStartWhenEnded = false;
        if (automatic && info) {
            StartAutomatically(info);
        } else if (start && runs.Current()) {
            StartCurrent();
        }
    }
    ShowState();
}

void ProcessWindow::ShowState() {
    hasRun = hasRun || IsProcessRunning();
    if (!handle) {
        return;  // not made yet: there is nothing to show it in
    }
    State state = GetState();
    SetStateIcon(state);
    NotifyFrame(state);
    frame.Post(panelMessage, reinterpret_cast<WPARAM>(handle), 0);
}

bool ProcessWindow::OnWindowThread() const {
    return handle && GetWindowThreadProcessId(handle, nullptr) == GetCurrentThreadId();
}

void ProcessWindow::NotifyStartOrder() {
    frame.Post(startOrderMessage, 0, 0);
}

void ProcessWindow::ProcessCommand(int commandId) {
    Process* process = runs.Current();
    if (!process) {
        return;
    }
    try {
        if ((commandId == kStartCommand || commandId == kRestartCommand) && ShowConfigurationError()) {
            return;
        }
        if (commandId == kStartCommand || commandId == kRestartCommand) {
            wait.Cancel();  // a Start given by hand never waits
        }
        if (commandId == kStartCommand) {
            if (runs.HasRetiring()) {
                startWhenEnded = true;  // the replaced run is still ending
            } else {
                RescanClasspath();
                process->Start();
            }
        } else if (commandId == kStopCommand) {
            startWhenEnded = autoStartWhenEnded = false;
            EndRuns();
        } else if (commandId == kRestartCommand) {
            if (runs.HasRetiring()) {
                startWhenEnded = true;  // the replaced run is still ending
            } else if (process->Restart()) {
                startWhenEnded = true;  // once the run has ended
                MarkStopping();
            }
        }
    } catch (Exception* e) {
        ShowFailure(e);
    }
    ShowState();
}

void ProcessWindow::ShowFailure(Exception* failure) {
    frame.ShowFailure(failure);
}

void ProcessWindow::ReportFailure(HWND owner, Exception* failure) {
    FrameLink::Report(owner, failure);
}

void ProcessWindow::Log(const wchar_t* text) {
    if (output.GetLogToScreen() && text) {
        Deliver(util::ConsoleInterpreter::MarkOwnText(text).c_str());
    }
}

void ProcessWindow::LogOutput(const wchar_t* text) {
    // Only the current run makes the window ready: a replaced one may still be ending.
    Process* writer = runs.Calling();
    if (text && writer && writer == runs.Current() && wait.Feed(text)) {
        PostMessageW(handle, readyMessage, 0, 0);
    }
    if (!output.GetLogToScreen() || !text) {
        return;
    }
    // The marks of the program's own text are the program's alone.
    std::wstring cleaned;
    Deliver(util::ConsoleInterpreter::DropOwnTextMarks(text, cleaned) ? cleaned.c_str() : text);
}

void ProcessWindow::Deliver(const wchar_t* text) {
    if (OnWindowThread()) {
        output.AppendNow(text);
        return;
    }
    // A worker asked to stop never waits for room (the queue sees its stop): this window may be
    // waiting for its end.
    Process* writer = runs.Calling();
    output.Push(text, writer, writer != nullptr);
}

void ProcessWindow::ThreadStateChanged(bool running) {
    if (!OnWindowThread()) {
        PostMessageW(handle, stateMessage, 0, 0);
        return;
    }
    if (running) {
        stopAskedAt = 0;
        failureNotice.NewStreak();  // a thread's start is a start from outside; restarts stay in it
        wait.RunStarted();  // told before the worker runs: none of its output is missed
    } else {
        TrackRunEnd();
    }
    ShowState();
}

void ProcessWindow::RunFailed(uint32_t exitCode) {
    PostMessageW(handle, runFailedMessage, exitCode, 0);  // worker: the window's thread tells the user
}

void ProcessWindow::ThreadFailed(const std::wstring& message) {
    // Shown by the window's own thread, owned by the frame; a second failure before the first is
    // shown joins it.
    CriticalSection::Lock hold(failureLock);
    failure += (failure.empty() ? L"" : L"\n\n") + message;
    PostMessageW(handle, failureMessage, 0, 0);
}

std::wstring ProcessWindow::GetEndNote() const {
    Process* process = runs.Current();
    if (!process || !hasRun || process->IsRunning() || GetState() != Stopped) {
        return std::wstring();
    }
    return L" (" + process->GetEndNote() + L")";
}

void ProcessWindow::NotifyFrame(int state) {
    frame.PostStateIfActive(statusMessage, state);
}

bool ProcessWindow::LastRunFailed() const {
    Process* process = runs.Current();
    // Not hasRun: a child that fails at once may end before the window ever saw it running.
    return process && !process->IsRunning() && process->EndedByItself() && process->GetExitCode() != 0;
}

void ProcessWindow::SetStateIcon(int state) {
    // A failed run stays marked until the next start: a crash seen only hours later still shows.
    HICON icon = state == Stopped && LastRunFailed() ? icons.Failed(instance)
                                                     : icons.For(instance, state == Waiting ? Stopped : state);
    if (icon) {
        SendMessageW(handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
}

void ProcessWindow::SetLogToScreen(bool flag) {
    output.SetLogToScreen(flag);
    CheckViewItems();
}

void ProcessWindow::SetShowTimestamps(bool flag) {
    view.ShowTimestamps(flag);
    CheckViewItems();
}

void ProcessWindow::CheckViewItems() {
    frame.CheckMenuItem(kLogToScreenCommand, output.GetLogToScreen());
    frame.CheckMenuItem(kShowTimestampsCommand, view.GetShowTimestamps());
}

void ProcessWindow::ClearOutput() {
    output.Discard();
    view.Clear();
}

void ProcessWindow::SaveContents() {
    String path;
    if (!gui::ShowSaveFileDialog(handle, path)) {
        return;
    }
    try {
        output.Save(path.GetBuffer());
    } catch (Exception* e) {
        ShowFailure(e);
    }
}
