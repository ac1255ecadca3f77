#pragma once

#include <windows.h>

#include <atomic>

#include "common/IThreadObserver.h"
#include "common/Runnable.h"
#include "util/Object.h"

// A worker thread that runs the object's Run, and can be started again after each run, stopped
// and observed. The OS thread is created suspended at construction and by Start after a run.
//
// The thread handle belongs to this object, never to the worker: a worker that has returned
// from Run still calls OnRunFinished, so Start, Stop and the destructor of the most derived
// class first wait for a worker that is still finishing (WaitForWorkerEnd) before they release
// the handle or the members OnRunFinished uses.
class Thread : public Runnable, public Object {
public:
    explicit Thread(const wchar_t* name);
    ~Thread() override;
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Resumes the worker (making a new one after a previous run) and tells the observer true.
    void Start();
    // Signals the stop event, gives the worker 200 ms to end (serving the messages it sends to
    // this thread meanwhile; the time spent serving them is the GUI's, not the worker's, and does
    // not count) and kills it only when it is still running then. A worker that is creating its
    // child is first let finish that (see BeginUninterruptible); one that has returned from Run
    // is waited for.
    void Stop();

    // Called on the worker after Run has returned and the observer has heard false.
    virtual void OnRunFinished() {}
    // Called by Stop after it had to kill the worker.
    virtual void OnTerminated() {}

    bool IsRunning() const { return running.load() == 1; }
    DWORD GetThreadId() const { return threadId.load(); }
    HANDLE GetStopEvent() const { return stopEvent; }

    IThreadObserver* observer;  // not owned, may be null

    // Marks a short stretch of the worker that holds what other threads wait for (a lock shared
    // with the window): Stop never kills the worker inside one. Unlike an uninterruptible stretch
    // it gives the worker no time: it must be short and must not wait. thread may be null.
    class Unkillable {
    public:
        // Only the worker itself is marked: another thread (the window's, writing a killed
        // worker's last lines) must never be held at the stretch's end.
        explicit Unkillable(Thread* worker)
            : thread(worker && worker->GetThreadId() == GetCurrentThreadId() ? worker : nullptr) {
            if (thread) {
                ++thread->unkillable;
            }
        }
        ~Unkillable() {
            if (thread) {
                thread->LeaveUnkillable();
            }
        }
        Unkillable(const Unkillable&) = delete;
        Unkillable& operator=(const Unkillable&) = delete;

    private:
        Thread* thread;
    };

    // The milliseconds clock of Stop's budget: GetTickCount64, or a test's own.
    static ULONGLONG(WINAPI* clock)();

protected:
    // Brackets a stretch of the worker that a kill must not cut: a thread killed inside process
    // creation may hold the loader or heap lock for good, or leave a child that nobody watches.
    // Stop gives such a stretch up to 10 s to end before its usual 200 ms.
    void BeginUninterruptible() { ++uninterruptible; }
    void EndUninterruptible();

    // Waits, serving sent messages, until a worker that was started has ended; returns at once
    // for one never started. Most derived destructors call it before their members go away.
    void WaitForWorkerEnd();

private:
    static unsigned __stdcall Entry(void* argument);
    void RunOnWorker();
    void CreateThreadEx();
    void CloseThreadHandle();
    // Stop's wait; false when the worker has to be killed.
    bool WaitForStoppedWorker();
    // Ends an unkillable stretch; a worker that Stop is about to kill waits there to be killed
    // (not once it has returned from Run: it is never killed then).
    void LeaveUnkillable();
    // Whether the worker has had its time to see the stop signalled at that clock.
    bool OutOfTime(ULONGLONG signalled, ULONGLONG served) const;
    // Suspends the worker when it may be killed now (true); otherwise leaves it running.
    bool SuspendedForKill(ULONGLONG signalled, ULONGLONG served);
    // The one notification of false per run: whoever claims the run's end first tells it.
    void ClaimEnd();
    // Waits for the worker's handle while serving messages sent to the calling thread; adds the
    // time spent serving them to *served when given.
    static bool WaitServingMessages(HANDLE handle, DWORD timeoutMs, ULONGLONG* served = nullptr);

    HANDLE threadHandle;
    std::atomic<DWORD> threadId;
    std::atomic<long> running;
    std::atomic<bool> started;     // the current worker was resumed
    std::atomic<bool> endClaimed;  // the current run's end was told to the observer
    std::atomic<int> uninterruptible;
    std::atomic<int> unkillable;
    std::atomic<bool> killDue;                  // Stop has given up on the worker
    std::atomic<ULONGLONG> uninterruptibleEnd;  // clock at the end of the last such stretch
    unsigned int* runResult;                    // owned; released with the thread handle
    HANDLE stopEvent;
};
