#pragma once

#include <windows.h>

#include <string>

#include "app/FindBar.h"
#include "app/FailureNotice.h"
#include "app/FrameLink.h"
#include "app/OutputView.h"
#include "app/ProcessOutput.h"
#include "app/ProcessRuns.h"
#include "app/StartWait.h"
#include "app/StateIcons.h"
#include "common/CriticalSection.h"
#include "common/ILogger.h"
#include "common/IThreadObserver.h"
#include "gui/MDIChildWindow.h"

class Exception;
class Process;
class ProcessInfo;

// The MDI child that stands for one configured process: it owns the description and the process
// made from it, shows the process's output, and carries out Start, Restart and Stop.
//
// Output and state changes arrive on the process's reader thread. Neither touches a window
// there: output goes into a bounded queue that the window empties on its own thread, and a state
// change only posts a note to the window, which then looks at the process itself.
//
// A stop never waits for the run to end: what has to follow the end (the new run of a Restart or
// of a changed entry, the close of a window) waits for the run's end note. Meanwhile a run that
// has not ended 500 ms after its stop shows as "stopping".
class ProcessWindow : public gui::MDIChildWindow, public util::logging::ILogger, public IThreadObserver {
public:
    static const UINT outputMessage = WM_APP + 1;   // the queue has text for the view
    static const UINT stateMessage = WM_APP + 2;    // the process started or ended
    static const UINT failureMessage = WM_APP + 3;  // a worker failed unexpectedly
    static const UINT readyMessage = WM_APP + 4;    // the run's output held a text a later entry waits for
    static const UINT runFailedMessage = WM_APP + 5;  // a run ended by itself with a code other than 0
    static const UINT statusMessage = WM_USER + 1;  // to the frame: wParam window, lParam a State
    // To the frame: a run started, became ready or ended, or an entry began to wait; the frame
    // looks for waiting entries that may start.
    static const UINT startOrderMessage = WM_APP + 0x301;
    // Posted to the frame: the window was moved or sized, wParam movedByUser when the user did it
    // (the windows are no longer as a tiling or cascade left them). The frame writes its layout.
    static const UINT layoutMessage = WM_APP + 0x304;
    static const WPARAM movedByUser = 1;
    // To the frame: the window's state was shown anew (wParam the window); the process panel
    // looks at its rows.
    static const UINT panelMessage = WM_APP + 0x303;
    // Waiting: not running, and waiting to start by itself after another entry.
    enum State { Stopped = 0, Running = 1, Stopping = 2, Waiting = 3 };
    // How long a stop may take before the window says "stopping".
    static const UINT stoppingAfterMs = 500;
    static const UINT_PTR stoppingTimerId = 2;  // beside ProcessOutput::timerId
    // How long a window going away waits for a run it asked to end; a run that has not ended
    // then is left behind. The frame sets 0 when the program exits with runs still ending.
    static DWORD disposeWaitMs;

    ProcessWindow();
    ~ProcessWindow() override;

    void OnCreate() override;
    void OnDestroy() override;
    void OnSize(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    int OnClose() override;
    LRESULT OnActivate() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnTimer(WPARAM timerId) override;
    // The keyboard goes on to the output view when the window gets it (an activated child).
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Takes ownership of info (null releases the held one); see the comparison rules in the source.
    void SetProcessInfo(ProcessInfo* info);
    // Start, Restart or Stop; failures are reported in a box and change nothing.
    void ProcessCommand(int commandId);
    // Asks for a file and writes the view's text to it as UTF-8 with a byte-order mark.
    void SaveContents();
    void SetLogToScreen(bool flag);
    // Arrival times in front of the lines of this window's view.
    void SetShowTimestamps(bool flag);
    bool GetShowTimestamps() const { return view.GetShowTimestamps(); }
    void SetStateIcon(int state);
    void ClearOutput();
    // Shows a failure of a command in a box owned by owner and frees it; the program goes on.
    static void ReportFailure(HWND owner, Exception* failure);

    // The program's own lines: drawn in the default colours, whatever colour the child left set.
    void Log(const wchar_t* text) override;
    // The child's own output, drawn in the colours its codes set: also looked at for the texts
    // later entries wait for.
    void LogOutput(const wchar_t* text) override;
    void ThreadStateChanged(bool running) override;
    void ThreadFailed(const std::wstring& message) override;
    void RunFailed(uint32_t exitCode) override;

    bool IsProcessRunning() const;
    // Runs of this window that have not ended: its process's, and a replaced process's.
    int CountRuns() const;
    // Asks every run of the window to end (failures are shown); returns at once.
    void EndRuns();
    // Waiting to start by itself until the entry it starts after is ready; the text says so.
    bool IsWaiting() const { return wait.IsWaiting(); }
    std::wstring GetWaitingText() const { return wait.GetText(); }
    // The frame found the entry waited for ready: the automatic start happens now.
    void StartWaited() { wait.StartDue(); }
    // How far this window's current run has come for the entries that start after it.
    RunReadiness& GetReadiness() { return wait.GetReadiness(); }
    // What the window shows: running, stopped, waiting, or stopping once a stop is 500 ms old.
    State GetState() const;
    // How the last run ended, for the status bar: " (exit code 3 (0x00000003), ended by itself)",
    // " (stopped)", or nothing while the process runs or has not run yet.
    std::wstring GetEndNote() const;
    // The last run ended by itself with an exit code other than 0 (a crash too), and none runs now.
    bool LastRunFailed() const;
    bool GetLogToScreen() const { return output.GetLogToScreen(); }
    const ProcessInfo* GetProcessInfo() const { return info; }
    // The process the window runs now (null before its entry made one); what the panel asks.
    const Process* GetCurrentProcess() const { return runs.Current(); }
    OutputView& GetOutputView() { return view; }
    FindBar& GetFindBar() { return findBar; }

protected:
    // The process for a description: the one it makes. A seam for tests.
    virtual Process* MakeProcess(ProcessInfo& newInfo);

private:
    bool OnWindowThread() const;
    // Text marked as the child's or the program's, to the view.
    void Deliver(const wchar_t* text);
    void ReleaseProcess();
    // A changed entry: the old process is asked to stop and kept until its run has ended.
    void RetireProcess();
    // After a note of the end of a run: what waited for it (new run, close) happens now.
    void OnRunEnded();
    void MarkStopping();
    void ShowState();
    void CreateProcessFor(ProcessInfo* newInfo);
    void StartAutomatically(ProcessInfo* newInfo);
    // Starts the current process; a failure is shown.
    void StartCurrent();
    // The current process's run has ended: its readiness goes with it, unless it succeeded.
    void TrackRunEnd();
    void NotifyStartOrder();
    // Shows why the entry cannot run, when it cannot; true then.
    bool ShowConfigurationError();
    // A Java process scans its class path again at its next launch.
    void RescanClasspath();
    void NotifyFrame(int state);
    void CheckViewItems();
    void ShowFailure(Exception* failure);

    ProcessInfo* info;  // owned
    OutputView view;
    FindBar findBar;  // after the view, which it searches
    ProcessRuns runs;
    bool startWhenEnded;      // start process once no run of this window goes on (Restart, reload)
    bool autoStartWhenEnded;  // the same for a reload: an automatic start as the entry says
    bool closeWhenEnded;      // the user closed the window while a run was ending
    ULONGLONG stopAskedAt;    // tick count of the last stop asked for; 0 for none
    CriticalSection failureLock;
    std::wstring failure;  // a worker's failure on its way to the window (under failureLock)
    bool hasRun;           // the current process was started at least once (window thread only)
    StateIcons icons;
    FailureNotice failureNotice;  // window thread only
    StartWait wait;
    ProcessOutput output;  // after view, which it feeds
    FrameLink frame;
};
