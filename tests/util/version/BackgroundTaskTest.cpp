#include "util/version/BackgroundTask.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "util/Exception.h"

namespace {

using util::version::BackgroundTask;
using Ending = BackgroundTask::Ending;

std::atomic<int> freed{0};

// An exception that counts its own deletion.
class CountedException : public Exception {
public:
    CountedException() : Exception(L"thrown by the work") {}
    ~CountedException() override { ++freed; }
};

DWORD WINAPI FailingWait(DWORD, const HANDLE*, BOOL, DWORD, DWORD) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

TEST(BackgroundTask, ThrownExceptionsAreFreedAndTheWorkStillEnds) {
    freed = 0;
    EXPECT_EQ(Ending::Finished, BackgroundTask::Run([] { throw static_cast<Exception*>(new CountedException()); },
                                                    INFINITE));
    EXPECT_EQ(1, freed.load());
    EXPECT_EQ(Ending::Finished, BackgroundTask::Run([] { throw 42; }, INFINITE));
}

TEST(BackgroundTask, AFailedWaitIsNeverTheEndOfTheWork) {
    BackgroundTask task([] {}, FailingWait);
    ASSERT_TRUE(task.WaitQuietly(5000));  // the work has ended; the wait cannot know it
    EXPECT_EQ(Ending::Failed, task.Wait(INFINITE));
}

// Each of many tasks in a row starts and ends at once (detached threads of the threading
// library now and then started seconds late or never).
TEST(BackgroundTask, ManyTasksInARowEachStartAndEndAtOnce) {
    auto ran = std::make_shared<std::atomic<int>>(0);  // shared: a late task may outlive the test
    for (int i = 0; i < 2000; ++i) {
        BackgroundTask task([ran] { ++*ran; });
        ASSERT_TRUE(task.WaitQuietly(5000)) << "task " << i << " did not end";
    }
    EXPECT_EQ(2000, ran->load());
}

TEST(BackgroundTask, AQuitEndsTheWaitAtOnceAndIsKeptForTheCallersLoop) {
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    BackgroundTask task([release] { WaitForSingleObject(release, 10000); });
    PostQuitMessage(3);
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(Ending::Quit, task.Wait(INFINITE));
    EXPECT_LT(GetTickCount64() - start, 1000u);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, message.wParam);
    int ticks = 0;
    EXPECT_EQ(Ending::Stopped, task.Wait(INFINITE, [&] { return ++ticks < 3; }, 10));
    EXPECT_EQ(3, ticks);
    EXPECT_EQ(Ending::TimedOut, task.Wait(50));
    SetEvent(release);
    EXPECT_TRUE(task.WaitQuietly(5000));
    EXPECT_EQ(Ending::Finished, task.Wait(1000));
    CloseHandle(release);
}

}  // namespace
