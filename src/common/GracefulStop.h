#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/IConsoleSignal.h"
#include "common/StopSettings.h"

class Process;

// Asks a run to end before its processes are ended: sends the configured console signal, posts
// WM_CLOSE to the run's top-level windows and runs the stop program, at once, then waits until
// the run is over or its timeout has passed, and then has the run ended. The steps and the wait
// run on a thread of their own, so the caller (the window's thread) never waits; each step
// leaves a line in the run's output.
//
// The run's direct child must stay open (its handle held) until Finish: its process id is what
// the signal and the window search aim at, and it must not go to another process meanwhile.
class GracefulStop {
public:
    // What the stop needs of the run it stops; called on the stop's own thread.
    struct Run {
        std::function<void(const std::wstring&)> output;  // a line into the run's output
        std::function<std::vector<DWORD>()> processIds;   // the run's processes now
        std::function<void()> endAfterTimeout;            // the timeout has passed: end the run now
    };

    explicit GracefulStop(Run run);
    ~GracefulStop();
    GracefulStop(const GracefulStop&) = delete;
    GracefulStop& operator=(const GracefulStop&) = delete;

    // Whether the settings ask for a step: without one a stop ends the run at once, as it always did.
    static bool Applies(const StopSettings& settings);
    // Starts the steps for the run whose direct child is childId, and returns at once. program is
    // the stop program, made ready to start (null for none); it is owned from now on. signal is
    // not owned and must outlive the stop.
    void Begin(const StopSettings& settings, DWORD childId, IConsoleSignal& signal, std::unique_ptr<Process> program);
    // Between Begin and Finish.
    bool IsActive() const { return active.load(); }
    // The run is over, or must end now (endNow: a second stop, or the timeout ended it): waits
    // for the stop's thread. The stop program keeps what is left of the timeout, unless endNow.
    void Finish(bool endNow);
    // A second stop: the stop program is ended now, also when the run is over already and the
    // program still has what is left of the timeout. Returns at once; any thread may call it.
    void EndNow();

    // Posts WM_CLOSE to the top-level windows of these processes; returns how many got it.
    static size_t CloseWindows(const std::vector<DWORD>& processIds);

private:
    class ProgramWatch;
    void Steps();
    void SendSignal();
    void StartProgram();
    // Waits for the run to be over, the program to end, or the deadline; true when the run is over.
    bool WaitForRun();
    void EndProgram();
    void ReportProgram();
    DWORD Remaining() const;

    Run run;
    StopSettings settings;
    DWORD childId;
    IConsoleSignal* signal;  // not owned
    std::unique_ptr<ProgramWatch> watch;
    std::unique_ptr<Process> program;
    bool programReported;
    ULONGLONG deadline;
    std::atomic<bool> active;
    std::atomic<bool> endNow;
    HANDLE finishEvent;  // manual reset: the run is over, or must end now
    HANDLE endNowEvent;  // manual reset: everything must end now
    std::thread worker;
};
