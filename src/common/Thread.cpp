#include "common/Thread.h"

#include <process.h>

#include <memory>
#include <string>

#include "util/Exception.h"

namespace {

// The object whose run this thread is the worker of; null on every other thread.
thread_local Thread* workerOf = nullptr;

}  // namespace

Thread::Thread(const wchar_t* name)
    : threadHandle(nullptr),
      threadId(0),
      running(0),
      stopRequested(false),
      failureTold(false),
      runResult(nullptr),
      stopEvent(nullptr) {
    className = name;
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

Thread::~Thread() {
    // A worker still inside Run here would use a half-destroyed object: owners ask it to stop
    // first (Process does); this wait is the last guard.
    WaitForWorkerEnd();
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
}

void Thread::CloseThreadHandle() {
    if (threadHandle) {
        HANDLE handle = threadHandle;
        threadHandle = nullptr;
        threadId = 0;
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
    // The previous worker has told its end; it may still be leaving the thread.
    WaitForWorkerEnd();
    CloseThreadHandle();
    CreateThreadEx();
    ResetEvent(stopEvent);
    stopRequested = false;
    failureTold = false;
    OnStart();
    // Flag and notification come before the worker runs: a run that ends at once must not have
    // its false overtaken by this true.
    running = 1;
    // An observer that fails is told after the worker runs: a worker held back for good would
    // count as running with nothing to end it.
    std::unique_ptr<Exception> observerFailure;
    try {
        observer.With([](IThreadObserver& told) { told.ThreadStateChanged(true); });
    } catch (Exception* e) {
        observerFailure.reset(e);
    }
    if (ResumeThread(threadHandle) == static_cast<DWORD>(-1)) {
        // The worker never runs: this run is over before it began. Its handle is let go, so that
        // nothing waits for a thread that will not end.
        DWORD id = threadId.load();
        CloseThreadHandle();
        running = 0;
        observer.With([](IThreadObserver& told) { told.ThreadStateChanged(false); });
        throw new Exception(L"Thread::Start()\nResumeThread(%d) failed.", static_cast<int>(id));
    }
    if (observerFailure) {
        throw observerFailure.release();
    }
}

void Thread::Stop() {
    if (running.load() == 1) {
        stopRequested = true;
        SetEvent(stopEvent);
    }
}

bool Thread::WaitForEnd(DWORD timeoutMs) {
    return !threadHandle || WaitServingMessages(threadHandle, timeoutMs);
}

void Thread::WaitForWorkerEnd() {
    if (threadHandle) {
        WaitServingMessages(threadHandle, INFINITE);
    }
}

bool Thread::WaitServingMessages(HANDLE handle, DWORD timeoutMs) {
    // The worker may be inside a logger that sends a message to a window of this thread: keep
    // taking such messages, or the worker could never end.
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
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        } else if (result == WAIT_FAILED) {
            return WaitForSingleObject(handle, timeoutMs == INFINITE ? INFINITE : 0) == WAIT_OBJECT_0;
        }
    }
}

unsigned __stdcall Thread::Entry(void* argument) {
    workerOf = static_cast<Thread*>(argument);
    workerOf->RunOnWorker();
    workerOf = nullptr;
    return 0;
}

Thread* Thread::Calling() {
    return workerOf;
}

void Thread::ReportFailure(const wchar_t* where, Exception* failure) {
    std::wstring text = failure ? failure->GetMessageText().GetBuffer() : L"";
    delete failure;
    if (text.empty()) {
        text = std::wstring(where) + L"\nAn unexpected exception was raised.";
    }
    OutputDebugStringW((text + L"\r\n").c_str());
    // One box per run is enough: a failing step tends to fail again at every retry.
    if (!failureTold) {
        failureTold = observer.With([&text](IThreadObserver& told) { told.ThreadFailed(text); });
    }
}

void Thread::RunOnWorker() {
    // No exception may unwind into the system's frames, and a failed step must not keep the
    // next one from running: the run's end is always told.
    try {
        unsigned int* result = Run();
        delete runResult;
        runResult = result;
    } catch (Exception* e) {
        ReportFailure(L"Thread::Run()", e);
    } catch (...) {
        ReportFailure(L"Thread::Run()", nullptr);
    }
    try {
        OnRunFinished();
    } catch (Exception* e) {
        ReportFailure(L"Thread::OnRunFinished()", e);
    } catch (...) {
        ReportFailure(L"Thread::OnRunFinished()", nullptr);
    }
    // How the run ended is set by now: the observer may look at it at once.
    running = 0;
    try {
        observer.With([](IThreadObserver& told) { told.ThreadStateChanged(false); });
    } catch (Exception* e) {
        ReportFailure(L"IThreadObserver::ThreadStateChanged()", e);
    } catch (...) {
        ReportFailure(L"IThreadObserver::ThreadStateChanged()", nullptr);
    }
}
