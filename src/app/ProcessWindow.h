#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "app/OutputQueue.h"
#include "app/OutputView.h"
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
class ProcessWindow : public gui::MDIChildWindow, public util::logging::ILogger, public IThreadObserver {
public:
    static const UINT outputMessage = WM_APP + 1;   // the queue has text for the view
    static const UINT stateMessage = WM_APP + 2;    // the process started or ended
    static const UINT statusMessage = WM_USER + 1;  // to the frame: wParam window, lParam running

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

    // Takes ownership of info (null releases the held one); see the comparison rules in the source.
    void SetProcessInfo(ProcessInfo* info);
    // Start, Restart or Stop; failures are reported in a box and change nothing.
    void ProcessCommand(int commandId);
    // Asks for a file and writes the view's text to it as UTF-8 with a byte-order mark.
    void SaveContents();
    void SetLogToScreen(bool flag);
    void SetStateIcon(int state);
    void ClearOutput();
    // Shows a failure of a command in a box owned by owner and frees it; the program goes on.
    static void ReportFailure(HWND owner, Exception* failure);

    void Log(const wchar_t* text) override;
    void ThreadStateChanged(bool running) override;

    bool IsProcessRunning() const;
    // How the last run ended, for the status bar: " (exit code 3)", " (stopped)", or nothing while
    // the process runs or has not run yet.
    std::wstring GetEndNote() const;
    bool GetLogToScreen() const { return logToScreen; }
    const ProcessInfo* GetProcessInfo() const { return info; }
    OutputView& GetOutputView() { return view; }

protected:
    // The process for a description: the one it makes. A seam for tests.
    virtual Process* MakeProcess(ProcessInfo& newInfo);

private:
    bool OnWindowThread() const;
    void ShowOutput();
    void ReleaseProcess();
    void CreateProcessFor(ProcessInfo* newInfo);
    void StartAutomatically(ProcessInfo* newInfo);
    // Shows why the entry cannot run, when it cannot; true then.
    bool ShowConfigurationError();
    void NotifyFrame(bool running);
    void CheckLogToScreen();
    void ShowFailure(Exception* failure);
    // The frame's window while it exists, else null (no exception).
    HWND FindFrame();
    HICON LoadStateIcon(int resourceId);

    ProcessInfo* info;  // owned
    OutputView view;
    Process* process;               // owned
    std::atomic<bool> logToScreen;  // read by the reader thread too
    bool hasRun;                    // the current process was started at least once (window thread only)
    HICON runningIcon;              // shared icons: loaded once, never destroyed
    HICON stoppedIcon;
    OutputQueue queue;
    std::wstring batch;  // reused buffer of the text taken from the queue
};
