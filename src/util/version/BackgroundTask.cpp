#include "util/version/BackgroundTask.h"

#include <process.h>

#include "util/Exception.h"

namespace util {
namespace version {

struct BackgroundTask::Job {
    Job() : done(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Job() {
        if (done) {
            CloseHandle(done);
        }
    }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    std::function<void()> work;
    HANDLE done;
};

BackgroundTask::BackgroundTask(std::function<void()> work, WaitFunction wait)
    : job(std::make_shared<Job>()), wait(wait), started(false) {
    job->work = std::move(work);
    if (!job->done) {
        return;
    }
    // A thread of the system's own, not a detached std::thread: under Wine the threading
    // library's detached threads now and then start seconds late or never, which held up the
    // start-up check and hung its waits.
    auto shared = std::make_unique<std::shared_ptr<Job>>(job);
    uintptr_t thread = _beginthreadex(nullptr, 0, &BackgroundTask::Entry, shared.get(), 0, nullptr);
    if (thread == 0) {
        return;
    }
    shared.release();  // the thread's now
    CloseHandle(reinterpret_cast<HANDLE>(thread));  // nobody joins it: the done event tells its end
    started = true;
}

unsigned __stdcall BackgroundTask::Entry(void* argument) {
    std::unique_ptr<std::shared_ptr<Job>> shared(static_cast<std::shared_ptr<Job>*>(argument));
    Job& job = **shared;
    try {
        job.work();
    } catch (Exception* e) {
        delete e;
    } catch (...) {
        // nothing may escape a thread
    }
    SetEvent(job.done);
    return 0;
}

BackgroundTask::Ending BackgroundTask::Wait(DWORD limitMs, const Tick& tick, DWORD tickMs) {
    if (!started) {
        return Ending::Failed;
    }
    ULONGLONG end = GetTickCount64() + limitMs;
    ULONGLONG nextTick = GetTickCount64() + tickMs;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        if (limitMs != INFINITE && now >= end) {
            return Ending::TimedOut;
        }
        if (tick && now >= nextTick) {
            if (!tick()) {
                return Ending::Stopped;
            }
            nextTick = now + tickMs;
        }
        ULONGLONG until = limitMs == INFINITE ? ~0ull : end;
        if (tick && nextTick < until) {
            until = nextTick;
        }
        DWORD waitMs = until == ~0ull ? INFINITE : static_cast<DWORD>(until > now ? until - now : 0);
        DWORD result = wait(1, &job->done, FALSE, waitMs, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) {
            return Ending::Finished;
        }
        if (result == WAIT_FAILED) {
            return Ending::Failed;  // never taken for the work's end
        }
        if (result != WAIT_OBJECT_0 + 1) {
            continue;  // a tick or the limit is due
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // The program is ending: nothing that the work would bring may follow.
                PostQuitMessage(static_cast<int>(message.wParam));
                return Ending::Quit;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

bool BackgroundTask::WaitQuietly(DWORD limitMs) {
    return started && WaitForSingleObject(job->done, limitMs) == WAIT_OBJECT_0;
}

BackgroundTask::Ending BackgroundTask::Run(std::function<void()> work, DWORD limitMs) {
    BackgroundTask task(std::move(work));
    return task.Wait(limitMs);
}

}  // namespace version
}  // namespace util
