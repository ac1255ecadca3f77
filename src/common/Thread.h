#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

#include "common/GuardedPointer.h"
#include "common/IThreadObserver.h"
#include "common/Runnable.h"
#include "util/Object.h"

class Exception;

// A worker thread that runs the object's Run, and can be started again after each run, stopped
// and observed. The OS thread is made by Start, one per run; none exists before the first Start.
//
// Nothing ever kills the worker: Stop only asks it to end (the stop event and StopRequested),
// and returns at once. Every wait of a run includes the stop event, and every long step of it
// polls StopRequested, so the run ends by itself soon after; its end reaches the observer as
// usual. The thread handle belongs to this object: Start and the destructor of the most derived
// class wait for a worker still finishing (WaitForWorkerEnd) before they release it.
class Thread : public Runnable, public Object {
public:
    explicit Thread(const wchar_t* name);
    ~Thread() override;
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Makes the worker for a new run and tells the observer true; throws while a run goes on.
    void Start();
    // Asks the run to end and returns at once; the observer hears false once it has.
    void Stop();
    // Whether the current run was asked to end. Cheap: any step may poll it.
    bool StopRequested() const { return stopRequested.load(); }
    // StopRequested of this thread, for code that knows nothing of threads (a long scan).
    std::function<bool()> StopPredicate() const {
        return [this] { return StopRequested(); };
    }
    // Waits at most timeoutMs, serving messages sent to the calling thread, until the worker of
    // the last run has returned; true also when there is none.
    bool WaitForEnd(DWORD timeoutMs);

    // Called on the worker after Run has returned, before the observer hears false.
    virtual void OnRunFinished() {}

    bool IsRunning() const { return running.load() == 1; }
    DWORD GetThreadId() const { return threadId.load(); }
    HANDLE GetStopEvent() const { return stopEvent; }
    // The object whose worker the calling thread is, or null on any other thread. It lasts while
    // its worker runs, so the worker may use it without reading anybody else's pointers.
    static Thread* Calling();

    // Who hears of the runs (not owned; null for nobody). Returns once no call to the previous
    // observer is in progress: a worker left running may outlive the window that watched it.
    void SetObserver(IThreadObserver* newObserver) { observer.Set(newObserver); }

protected:
    // Called by Start on its own thread, before the worker exists: resets what a run keeps.
    virtual void OnStart() {}
    // Tells the observer that a run failed (see IThreadObserver::RunFailed); on the worker.
    void TellRunFailed(uint32_t exitCode) {
        observer.With([exitCode](IThreadObserver& watcher) { watcher.RunFailed(exitCode); });
    }
    // Waits, serving sent messages, until a worker that was started has ended; returns at once
    // when there is none. Most derived destructors call it before their members go away.
    void WaitForWorkerEnd();

private:
    static unsigned __stdcall Entry(void* argument);
    void RunOnWorker();
    void CreateThreadEx();
    void CloseThreadHandle();
    // A failure of the worker's own steps: told to the observer once per run.
    void ReportFailure(const wchar_t* where, Exception* failure);
    // Waits for the worker's handle while serving messages sent to the calling thread.
    static bool WaitServingMessages(HANDLE handle, DWORD timeoutMs);

    HANDLE threadHandle;
    std::atomic<DWORD> threadId;
    std::atomic<long> running;
    std::atomic<bool> stopRequested;
    bool failureTold;         // worker only: this run's failure has been reported
    unsigned int* runResult;  // owned; released with the thread handle
    HANDLE stopEvent;
    GuardedPointer<IThreadObserver> observer;
};
