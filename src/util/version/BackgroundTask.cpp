#include "util/version/BackgroundTask.h"

#include <memory>
#include <thread>

namespace util {
namespace version {

namespace {

struct Job {
    Job() : done(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Job() { CloseHandle(done); }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    std::function<void()> work;
    HANDLE done;
};

}  // namespace

bool BackgroundTask::Run(std::function<void()> work, DWORD limitMs) {
    std::shared_ptr<Job> job = std::make_shared<Job>();
    job->work = std::move(work);
    try {
        std::thread([job] {
            try {
                job->work();
            } catch (...) {
                // the work reports through what it shares; nothing may escape a thread
            }
            SetEvent(job->done);
        }).detach();
    } catch (...) {
        return false;  // no thread to be had
    }
    return WaitDispatching(job->done, limitMs);
}

bool BackgroundTask::WaitDispatching(HANDLE done, DWORD limitMs) {
    ULONGLONG end = GetTickCount64() + limitMs;
    bool finished = false;
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        DWORD wait = limitMs == INFINITE ? INFINITE : (now < end ? static_cast<DWORD>(end - now) : 0);
        DWORD result = MsgWaitForMultipleObjects(1, &done, FALSE, wait, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) {
            finished = true;
            break;
        }
        if (result != WAIT_OBJECT_0 + 1) {
            break;  // the time is up
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = message.wParam;
            } else {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }
    if (quit) {
        PostQuitMessage(static_cast<int>(quitCode));
    }
    return finished;
}

}  // namespace version
}  // namespace util
