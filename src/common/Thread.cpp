#include "common/Thread.h"

#include <process.h>

#include "util/Exception.h"

namespace {

// Runs one step of the worker and shows what it throws: no exception may unwind into the
// system's frames, and a failed step must not keep the next one from running.
template <typename Step>
void RunShowingFailure(const wchar_t* where, Step step) {
    try {
        step();
    } catch (Exception* e) {
        e->Show();
        delete e;
    } catch (...) {
        Exception unexpected(L"%s\nAn unexpected exception was raised.", where);
        unexpected.Show();
    }
}

}  // namespace

Thread::Thread(const wchar_t* name)
    : observer(nullptr),
      threadHandle(nullptr),
      threadId(0),
      running(0),
      started(false),
      endClaimed(false),
      uninterruptible(0),
      unkillable(0),
      killDue(false),
      uninterruptibleEnd(0),
      runResult(nullptr),
      stopEvent(nullptr) {
    className = name;
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CreateThreadEx();
}

Thread::~Thread() {
    // A worker still inside Run here would use a half-destroyed object: owners stop it first
    // (Process does); this wait is the last guard for a worker that is finishing on its own.
    WaitForWorkerEnd();
    if (threadHandle && !started) {
        TerminateThread(threadHandle, static_cast<DWORD>(-1));  // never resumed: it runs no code of ours
    }
    try {
        CloseThreadHandle();
    } catch (Exception* e) {
        delete e;  // nothing left to do about it while the object goes away
    }
    if (stopEvent) {
        CloseHandle(stopEvent);
    }
}

void Thread::CreateThreadEx() {
    unsigned id = 0;
    uintptr_t handle = _beginthreadex(nullptr, 0, &Thread::Entry, this, CREATE_SUSPENDED, &id);
    if (handle == 0) {
        throw new Exception(L"Thread::CreateThreadEx()");
    }
    threadHandle = reinterpret_cast<HANDLE>(handle);
    threadId = id;
    started = false;
    endClaimed = false;
    running = 0;
    uninterruptible = 0;  // a worker killed inside such a stretch never ended it
    unkillable = 0;
    killDue = false;
}

void Thread::CloseThreadHandle() {
    if (threadHandle) {
        HANDLE handle = threadHandle;
        threadHandle = nullptr;
        threadId = 0;
        started = false;
        if (!CloseHandle(handle)) {
            delete runResult;
            runResult = nullptr;
            throw new Exception(L"CloseHandle failed at %s:%i", L"common\\Thread", 208);
        }
    }
    delete runResult;
    runResult = nullptr;
}

void Thread::Start() {
    if (running.load() == 1) {
        throw new Exception(L"Thread::Start()\nThread (%d) is already running.", static_cast<int>(threadId.load()));
    }
    if (threadHandle && started) {
        // The previous run is over or finishing (OnRunFinished may still use the object).
        WaitForWorkerEnd();
        CloseThreadHandle();
    }
    if (!threadHandle) {
        CreateThreadEx();
    }
    ResetEvent(stopEvent);
    endClaimed = false;
    started = true;
    // Flag and notification come before the worker runs: a run that ends at once must not have
    // its false overtaken by this true.
    running = 1;
    if (observer) {
        observer->ThreadStateChanged(true);
    }
    DWORD previous = ResumeThread(threadHandle);
    if (previous == 0 || previous == static_cast<DWORD>(-1)) {
        throw new Exception(L"Thread::Start()\nResumeThread(%d) failed.", static_cast<int>(threadId.load()));
    }
}

void Thread::Stop() {
    if (threadHandle) {
        SetEvent(stopEvent);
        if (!WaitForStoppedWorker()) {
            TerminateThread(threadHandle, static_cast<DWORD>(-1));
            WaitForSingleObject(threadHandle, INFINITE);  // killing is asynchronous
            OnTerminated();
        }
        ClaimEnd();
        CloseThreadHandle();
    }
    ResetEvent(stopEvent);
}

ULONGLONG(WINAPI* Thread::clock)() = &GetTickCount64;

bool Thread::WaitForStoppedWorker() {
    ULONGLONG signalled = clock();
    ULONGLONG served = 0;
    for (;;) {
        // A worker that has returned from Run is only finishing (OnRunFinished, then leaving the
        // thread inside the loader's lock): never killed, it is waited for, as Start does.
        if (WaitServingMessages(threadHandle, endClaimed.load() ? INFINITE : 20, &served)) {
            return true;
        }
        if (OutOfTime(signalled, served) && SuspendedForKill(signalled, served)) {
            return false;
        }
    }
}

bool Thread::OutOfTime(ULONGLONG signalled, ULONGLONG served) const {
    // The worker gets 200 ms of its own from the moment it can see the stop: from the signal, or
    // from the end of an uninterruptible stretch it was in, which itself may take up to 10 s.
    ULONGLONG from = signalled;
    if (uninterruptible.load() == 0) {
        from = uninterruptibleEnd.load() > signalled ? uninterruptibleEnd.load() : signalled;
    }
    ULONGLONG elapsed = clock() - from;
    elapsed = elapsed > served ? elapsed - served : 0;
    return elapsed >= (uninterruptible.load() > 0 ? 10000u : 200u);
}

bool Thread::SuspendedForKill(ULONGLONG signalled, ULONGLONG served) {
    // Decided again with the worker suspended, so that it cannot enter a stretch between the look
    // and the kill. Suspending is asynchronous: asking for the context waits until it holds. A
    // worker in an unkillable stretch is let out of it, where it waits for the next look, unless
    // the stop is 5 s old by then.
    killDue = true;
    if (SuspendThread(threadHandle) == static_cast<DWORD>(-1)) {
        return true;  // cannot tell: killed as it is
    }
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    GetThreadContext(threadHandle, &context);
    if (OutOfTime(signalled, served) && !endClaimed.load() && (unkillable.load() == 0 || clock() - signalled >= 5000)) {
        return true;
    }
    ResumeThread(threadHandle);
    return false;
}

void Thread::LeaveUnkillable() {
    if (--unkillable == 0 && killDue.load() && !endClaimed.load()) {
        Sleep(INFINITE);
    }
}

void Thread::EndUninterruptible() {
    uninterruptibleEnd = clock();
    --uninterruptible;
}

void Thread::ClaimEnd() {
    if (!endClaimed.exchange(true)) {
        running = 0;
        if (observer) {
            observer->ThreadStateChanged(false);
        }
    }
}

void Thread::WaitForWorkerEnd() {
    if (threadHandle && started) {
        WaitServingMessages(threadHandle, INFINITE);
    }
}

bool Thread::WaitServingMessages(HANDLE handle, DWORD timeoutMs, ULONGLONG* served) {
    // The worker may be inside a logger that sends a message to a window of this thread: keep
    // taking such messages, or the worker could never see the stop event.
    ULONGLONG start = GetTickCount64();
    for (;;) {
        DWORD remaining = INFINITE;
        if (timeoutMs != INFINITE) {
            ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= timeoutMs) {
                return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
            }
            remaining = static_cast<DWORD>(timeoutMs - elapsed);
        }
        DWORD result = MsgWaitForMultipleObjectsEx(1, &handle, remaining, QS_SENDMESSAGE, 0);
        if (result == WAIT_OBJECT_0) {
            return true;
        }
        if (result == WAIT_OBJECT_0 + 1) {
            ULONGLONG before = clock();
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            if (served) {
                *served += clock() - before;
            }
        } else if (result == WAIT_FAILED) {
            return WaitForSingleObject(handle, timeoutMs == INFINITE ? INFINITE : 0) == WAIT_OBJECT_0;
        }
    }
}

unsigned __stdcall Thread::Entry(void* argument) {
    static_cast<Thread*>(argument)->RunOnWorker();
    return 0;
}

void Thread::RunOnWorker() {
    RunShowingFailure(L"Thread::Run()", [this] {
        unsigned int* result = Run();
        delete runResult;
        runResult = result;
    });
    RunShowingFailure(L"IThreadObserver::ThreadStateChanged()", [this] { ClaimEnd(); });
    RunShowingFailure(L"Thread::OnRunFinished()", [this] { OnRunFinished(); });
}
