#include "common/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/LoggerManager.h"
#include "common/Recorders.h"
#include "support/ThrownMessage.h"
#include "util/Exception.h"

namespace {

using testsupport::RecordingObserver;

// Runs until stopped (or for a fixed time), recording the order of what happens on the worker.
class ProbeThread : public Thread {
public:
    explicit ProbeThread(DWORD runMs = INFINITE, DWORD finishMs = 0)
        : Thread(L"ProbeThread"), runMs(runMs), finishMs(finishMs) {
        SetObserver(&told);
    }
    ~ProbeThread() override {
        Stop();
        WaitForWorkerEnd();
    }

    unsigned int* Run() override {
        Record(L"run " + std::to_wstring(GetCurrentThreadId()));
        WaitForSingleObject(GetStopEvent(), runMs);
        return new unsigned int(7);
    }
    void OnRunFinished() override {
        Sleep(finishMs);  // a slow end of run: its end is told only after it
        Record(L"finished");
    }

    void Record(const std::wstring& what) { events.Log(what.c_str()); }
    std::vector<std::wstring> Events() { return events.Calls(); }
    bool WaitForEvents(size_t count) {
        return testsupport::WaitUntil([&] { return Events().size() >= count; }, 10000);
    }

    RecordingObserver told;  // what the worker told of its runs

private:
    DWORD runMs;
    DWORD finishMs;
    testsupport::RecordingLogger events;  // what happened on the worker, in order
};

TEST(Thread, StartStopAndRestartRunEachTimeOnAFreshWorker) {
    ProbeThread thread;
    EXPECT_EQ(0u, thread.GetThreadId());  // no worker exists before the first Start
    thread.Start();
    DWORD firstId = thread.GetThreadId();
    ASSERT_TRUE(thread.WaitForEvents(1));
    // Starting it again while it runs fails and changes nothing.
    EXPECT_EQ(L"Thread::Start()\nThread (" + std::to_wstring(firstId) + L") is already running.",
              testsupport::ThrownMessage([&] { thread.Start(); }));
    thread.Stop();
    ASSERT_TRUE(thread.WaitForEnd(5000));
    EXPECT_FALSE(thread.IsRunning());
    thread.Start();
    DWORD secondId = thread.GetThreadId();
    ASSERT_TRUE(thread.WaitForEvents(3));
    EXPECT_FALSE(thread.StopRequested());  // a new run begins without the last one's request
    thread.Stop();
    ASSERT_TRUE(thread.WaitForEnd(5000));
    EXPECT_NE(firstId, secondId);
    EXPECT_EQ((std::vector<std::wstring>{L"run " + std::to_wstring(firstId), L"finished",
                                         L"run " + std::to_wstring(secondId), L"finished"}),
              thread.Events());
    EXPECT_EQ((std::vector<bool>{true, false, true, false}), thread.told.States());
}

// Nothing exists to stop or to kill: the object goes without a trace, and a later Start works.
TEST(Thread, ANeverStartedThreadStopsAndGoesWithoutAWorker) {
    RecordingObserver observer;
    {
        ProbeThread never;
        never.SetObserver(&observer);
        never.Stop();
        EXPECT_FALSE(never.StopRequested());
        EXPECT_TRUE(never.WaitForEnd(0));
    }
    EXPECT_TRUE(observer.States().empty());
    ProbeThread thread(0);
    thread.Stop();
    thread.Start();
    ASSERT_TRUE(thread.WaitForEvents(2));
    EXPECT_EQ(L"finished", thread.Events()[1]);
}

// A worker deep in a step that only polls (a scan of many files): Stop returns at once, the step
// sees the request through the predicate, and the end arrives afterwards.
TEST(Thread, StopReturnsAtOnceAndABusyStepSeesItThroughThePredicate) {
    struct Busy : ProbeThread {
        unsigned int* Run() override {
            std::function<bool()> stopRequested = StopPredicate();
            Record(L"run");
            while (!stopRequested()) {
                for (volatile int i = 0; i < 10000; ++i) {
                }
            }
            Sleep(300);  // what is left of the step after it saw the request
            Record(L"saw stop");
            return nullptr;
        }
    };
    Busy thread;
    thread.Start();
    ASSERT_TRUE(thread.WaitForEvents(1));
    ULONGLONG before = GetTickCount64();
    thread.Stop();
    EXPECT_LT(GetTickCount64() - before, 100u);
    EXPECT_TRUE(thread.IsRunning());  // the end has not come yet
    EXPECT_EQ((std::vector<bool>{true}), thread.told.States());
    ASSERT_TRUE(thread.WaitForEnd(5000));
    EXPECT_EQ((std::vector<std::wstring>{L"run", L"saw stop", L"finished"}), thread.Events());
    EXPECT_EQ((std::vector<bool>{true, false}), thread.told.States());
}

// A run that ends by itself is told once, after its slow finish; a Start at once then waits for
// the old worker to leave, and a deletion waits for the last one.
TEST(Thread, ARunThatEndsByItselfIsToldOnceAfterItsFinish) {
    RecordingObserver observer;
    std::unique_ptr<ProbeThread> thread(new ProbeThread(0, 300));
    thread->SetObserver(&observer);
    for (size_t heard = 2; heard <= 6; heard += 2) {
        thread->Start();
        ASSERT_TRUE(testsupport::WaitUntil([&] { return observer.States().size() >= heard; }, 10000));
        EXPECT_EQ(L"finished", thread->Events().back()) << "told before its finish";
    }
    thread->Start();
    thread.reset();
    EXPECT_EQ((std::vector<bool>{true, false, true, false, true, false, true, false}), observer.States());
}

// No box from a worker: the failure goes to the observer, once per run, and the run still ends.
TEST(Thread, AFailureOfRunOrOnRunFinishedIsToldOncePerRunAndTheRunStillEnds) {
    struct Failing : ProbeThread {
        unsigned int* Run() override { throw new Exception(L"Failing::Run()\nno luck"); }
        void OnRunFinished() override {
            Record(L"finished");
            throw new Exception(L"Failing::OnRunFinished()\nno luck either");
        }
    };
    Failing thread;
    for (int run = 0; run < 2; ++run) {
        thread.Start();
        ASSERT_TRUE(thread.WaitForEnd(5000));
    }
    EXPECT_EQ((std::vector<std::wstring>{L"Failing::Run()\nno luck", L"Failing::Run()\nno luck"}),
              thread.told.Failures());
    EXPECT_EQ((std::vector<std::wstring>{L"finished", L"finished"}), thread.Events());
    EXPECT_EQ((std::vector<bool>{true, false, true, false}), thread.told.States());
}

// An observer that fails to take the start (a window that cannot load its icon) does not leave a
// worker that never runs and counts as running for good: the run happens and ends.
TEST(Thread, AnObserverFailingAtTheStartStillLetsTheRunHappenAndEnd) {
    struct Refusing : RecordingObserver {
        void ThreadStateChanged(bool running) override {
            RecordingObserver::ThreadStateChanged(running);
            if (running) {
                throw new Exception(L"Refusing\nno icon");
            }
        }
    } observer;
    ProbeThread thread(0);
    thread.SetObserver(&observer);
    EXPECT_EQ(L"Refusing\nno icon", testsupport::ThrownMessage([&] { thread.Start(); }));
    ASSERT_TRUE(thread.WaitForEnd(5000));
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ((std::vector<bool>{true, false}), observer.States());
}

TEST(LoggerManager, HandsTextToEveryRegisteredLogger) {
    util::logging::LoggerManager* manager = util::logging::LoggerManager::GetInstance();
    ASSERT_EQ(manager, util::logging::LoggerManager::GetInstance());
    testsupport::RecordingLogger a, b, stranger;
    manager->Log(L"nobody listens\r\n");  // still goes to the debugger output, and nowhere else
    manager->AddLogger(&a);
    manager->AddLogger(&b);
    manager->AddLogger(&a);  // once is enough
    manager->Log(L"one");
    manager->RemoveLogger(&stranger);
    EXPECT_EQ(2, manager->GetLoggerCount());
    manager->RemoveLogger(&a);
    manager->Log(L"two");
    manager->RemoveLogger(&b);
    EXPECT_EQ(0, manager->GetLoggerCount());
    EXPECT_EQ((std::vector<std::wstring>{L"one"}), a.Calls());
    EXPECT_EQ((std::vector<std::wstring>{L"one", L"two"}), b.Calls());
}

// Each worker learns its own object, and no other thread learns any.
class SelfSeeingThread : public Thread {
public:
    SelfSeeingThread() : Thread(L"SelfSeeingThread") {}
    ~SelfSeeingThread() override { WaitForWorkerEnd(); }
    unsigned int* Run() override {
        seen = Thread::Calling();
        return nullptr;
    }
    std::atomic<Thread*> seen{nullptr};
};

TEST(Thread, CallingNamesTheObjectWhoseWorkerAsks) {
    SelfSeeingThread first;
    SelfSeeingThread second;
    first.Start();
    second.Start();
    ASSERT_TRUE(first.WaitForEnd(10000));
    ASSERT_TRUE(second.WaitForEnd(10000));
    EXPECT_EQ(&first, first.seen.load());
    EXPECT_EQ(&second, second.seen.load());
    EXPECT_EQ(nullptr, Thread::Calling());
}

}  // namespace
