#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

class Exception;
class Process;

// The runs of one process window: its current process, and a replaced process whose run is still
// ending (kept until it has ended, so that the new run's lines follow the old ones). Owns both.
// Nothing here throws: a failure to stop a run is handed to the report function, which owns it.
class ProcessRuns {
public:
    using Report = std::function<void(Exception*)>;

    explicit ProcessRuns(Report report);
    ProcessRuns(const ProcessRuns&) = delete;
    ProcessRuns& operator=(const ProcessRuns&) = delete;
    ~ProcessRuns();

    Process* Current() const { return process.load(); }
    bool HasRetiring() const { return retiring.load() != nullptr; }
    bool IsCurrentRunning() const;
    // Runs that have not ended: the current process's, and the replaced one's.
    int Count() const;
    // A stop was asked for: a replaced run is ending, or the current one was asked to stop.
    bool StopRequested() const;
    // Asks every run to end; returns at once.
    void Terminate();
    // Takes ownership of a new current process; there must be none (Retire or Release first).
    void SetCurrent(Process* made);
    // Makes the current process the replaced one, asked to stop; one that has ended already is
    // disposed of at once, as is one replaced before. True when a replaced run is still ending.
    bool Retire(DWORD waitMs);
    // After a note of the end of a run: a replaced run that has ended leaves.
    void DisposeEnded(DWORD waitMs);
    // Ends and disposes of both processes. A failure to stop is not reported but returned (the
    // caller may be a destructor); null when there was none.
    Exception* Release(DWORD waitMs);
    // The process whose worker is calling (a run's, or its stop program's), or null. Workers call
    // it while the window's thread may replace or delete these processes: it learns the caller
    // from the caller's own object and only compares the pointers held here, never following them.
    Process* Calling() const;

    // Ends one process for good: asks it to stop and deletes it once it has ended, or leaves it
    // behind when it has not ended after the wait (the program is going away then).
    static void Dispose(Process* ending, DWORD waitMs);

private:
    // Takes the replaced process out, to be disposed of.
    Process* TakeRetiring() { return retiring.exchange(nullptr); }

    Report report;
    // Both owned, and changed on the window's thread only; atomic because workers compare them.
    std::atomic<Process*> process;
    std::atomic<Process*> retiring;  // a replaced process whose run is still ending
};
