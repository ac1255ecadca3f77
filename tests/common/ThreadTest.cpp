#include "common/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/OutputQueue.h"
#include "common/LoggerManager.h"
#include "common/Recorders.h"
#include "support/MessageBoxWatcher.h"
#include "support/ThrownMessage.h"
#include "util/Exception.h"

namespace {

using testsupport::RecordingObserver;

// Runs until stopped (or for a fixed time), recording the order of what happens on the worker.
class ProbeThread : public Thread {
public:
    explicit ProbeThread(DWORD runMs = INFINITE, DWORD finishMs = 0)
        : Thread(L"ProbeThread"), runMs(runMs), finishMs(finishMs) {}
    ~ProbeThread() override { WaitForWorkerEnd(); }

    unsigned int* Run() override {
        Record(L"run " + std::to_wstring(GetCurrentThreadId()));
        WaitForSingleObject(GetStopEvent(), runMs);
        return new unsigned int(7);
    }
    void OnRunFinished() override {
        Sleep(finishMs);  // a slow end of run: a Start or delete now must wait for it
        Record(L"finished");
    }
    void OnTerminated() override { ++terminated; }

    void Record(const std::wstring& what) { events.Log(what.c_str()); }
    std::vector<std::wstring> Events() { return events.Calls(); }
    bool WaitForEvents(size_t count) {
        return testsupport::WaitUntil([&] { return Events().size() >= count; }, 10000);
    }

    std::atomic<int> terminated{0};

private:
    DWORD runMs;
    DWORD finishMs;
    testsupport::RecordingLogger events;  // what happened on the worker, in order
};

TEST(Thread, StartStopAndRestartRunEachTimeOnAFreshWorker) {
    RecordingObserver observer;
    ProbeThread thread;
    thread.observer = &observer;
    DWORD firstId = thread.GetThreadId();
    EXPECT_NE(0u, firstId);  // the worker exists, suspended, from construction on
    thread.Start();
    ASSERT_TRUE(thread.WaitForEvents(1));
    // Starting it again while it runs fails and changes nothing.
    EXPECT_EQ(L"Thread::Start()\nThread (" + std::to_wstring(firstId) + L") is already running.",
              testsupport::ThrownMessage([&] { thread.Start(); }));
    thread.Stop();
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(0u, thread.GetThreadId());
    EXPECT_EQ(0, thread.terminated.load());  // it saw the stop event; nothing was killed
    thread.Start();
    DWORD secondId = thread.GetThreadId();
    ASSERT_TRUE(thread.WaitForEvents(3));
    thread.Stop();
    thread.Stop();  // with no worker it only clears the stop event
    EXPECT_NE(firstId, secondId);
    EXPECT_EQ((std::vector<std::wstring>{L"run " + std::to_wstring(firstId), L"finished",
                                         L"run " + std::to_wstring(secondId), L"finished"}),
              thread.Events());
    EXPECT_EQ((std::vector<bool>{true, false, true, false}), observer.States());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread.GetStopEvent(), 0));
}

TEST(Thread, StopOfANeverStartedThreadKillsTheSuspendedWorkerAndAllowsAStart) {
    RecordingObserver observer;
    ProbeThread thread(0);
    thread.observer = &observer;
    thread.Stop();
    EXPECT_EQ(1, thread.terminated.load());
    EXPECT_EQ((std::vector<bool>{false}), observer.States());
    thread.Start();
    ASSERT_TRUE(thread.WaitForEvents(2));
    EXPECT_EQ(L"finished", thread.Events()[1]);  // one run, on a fresh worker
}

// A run that ends by itself is told once; a Start, Stop or deletion just then waits for its slow
// end (a kill there could catch the worker leaving the thread, inside the loader's lock).
TEST(Thread, ARunThatEndsByItselfIsToldOnceAndStartStopOrDeletionWaitsForItsFinish) {
    static std::atomic<int> finishes{0};
    struct Slow : ProbeThread {
        Slow() : ProbeThread(0, 300) {}
        ~Slow() override { WaitForWorkerEnd(); }
        void OnRunFinished() override {
            ProbeThread::OnRunFinished();
            ++finishes;
        }
    };
    RecordingObserver observer;
    std::unique_ptr<Slow> thread(new Slow());
    thread->observer = &observer;
    for (size_t heard = 2; heard <= 6; heard += 2) {
        thread->Start();
        // Once the observer heard the end, the worker is inside its slow OnRunFinished.
        ASSERT_TRUE(testsupport::WaitUntil([&] { return observer.States().size() >= heard; }, 10000));
        if (heard == 4) {
            thread->Stop();
            EXPECT_EQ(0, thread->terminated.load());
        }
    }
    EXPECT_EQ(L"finished", thread->Events()[1]);  // the first run had finished before the second began
    EXPECT_EQ((std::vector<bool>{true, false, true, false, true, false}), observer.States());
    thread.reset();
    EXPECT_EQ(3, finishes.load());
}

// Stop's budget on a clock the test sets: frozen at 30 days of uptime (beyond what a 32-bit tick
// can take in signed arithmetic), or moved on by 300 ms whenever this thread serves the worker.
std::atomic<ULONGLONG> fakeNow{0};
ULONGLONG WINAPI FakeClock() {
    return fakeNow.load();
}

LRESULT CALLBACK SlowView(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        fakeNow += 300;  // the GUI's own slowness, not the worker's
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(Thread, StopsBudgetCountsTheWorkersTimeOnA64BitClock) {
    struct ClockGuard {
        ClockGuard() { Thread::clock = &FakeClock; }
        ~ClockGuard() { Thread::clock = &GetTickCount64; }
    } guard;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &SlowView;
    windowClass.lpszClassName = L"TarnwickSlowView";
    RegisterClassW(&windowClass);
    HWND view = CreateWindowExW(0, L"TarnwickSlowView", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    struct Sender : ProbeThread {
        unsigned int* Run() override {
            Record(L"run");
            do {
                SendMessageW(view, WM_APP, 0, 0);
            } while (WaitForSingleObject(GetStopEvent(), 0) == WAIT_TIMEOUT);
            Sleep(100);  // real time on a frozen clock
            return nullptr;
        }
        HWND view = nullptr;
    };
    for (ULONGLONG start : {2592000000ull, 0x100000000ull - 5}) {
        fakeNow = start;
        Sender thread;
        thread.view = view;
        thread.Start();
        ASSERT_TRUE(thread.WaitForEvents(1));
        thread.Stop();
        EXPECT_EQ(0, thread.terminated.load()) << start;
        EXPECT_EQ((std::vector<std::wstring>{L"run", L"finished"}), thread.Events()) << start;
    }
    DestroyWindow(view);
}

// A worker deaf to the stop is killed after its time; one killed holding the output queue's lock
// would keep the window from ever taking text again: Stop kills it outside that lock only.
TEST(Thread, AWorkerIsNeverKilledHoldingTheOutputQueuesLock) {
    struct Flooding : ProbeThread {
        unsigned int* Run() override {
            Record(L"run");
            for (;;) {  // deaf to the stop: only a kill ends it
                queue.Push(L"0123456789abcdef", this, false);
            }
        }
        // The window's side, on a thread of its own: a lock left taken fails the test, not hangs it.
        static DWORD WINAPI Take(void* self) {
            for (std::wstring text; !static_cast<Flooding*>(self)->taken;) {
                static_cast<Flooding*>(self)->queue.TakeAll(text);
            }
            return 0;
        }
        OutputQueue queue{4096, nullptr};
        std::atomic<bool> taken{false};
    };
    for (int round = 0; round < 5; ++round) {
        RecordingObserver observer;
        Flooding* thread = new Flooding();  // leaked with the window's thread when that hangs
        thread->observer = &observer;
        HANDLE window = CreateThread(nullptr, 0, &Flooding::Take, thread, 0, nullptr);
        thread->Start();
        ASSERT_TRUE(thread->WaitForEvents(1));
        ULONGLONG before = GetTickCount64();
        thread->Stop();
        EXPECT_GE(GetTickCount64() - before, 150u);
        EXPECT_LT(GetTickCount64() - before, 2000u);
        EXPECT_EQ(1, thread->terminated.load());
        EXPECT_EQ((std::vector<bool>{true, false}), observer.States());
        EXPECT_EQ((std::vector<std::wstring>{L"run"}), thread->Events());  // no OnRunFinished on a killed worker
        thread->taken = true;
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(window, 5000)) << "round " << round;
        CloseHandle(window);
        delete thread;
    }
}

TEST(Thread, AnExceptionFromRunOrOnRunFinishedIsShownAndTheRunStillEnds) {
    struct Failing : ProbeThread {
        unsigned int* Run() override { throw new Exception(L"Failing::Run()\nno luck"); }
        void OnRunFinished() override {
            Record(L"finished");
            throw new Exception(L"Failing::OnRunFinished()\nno luck either");
        }
    };
    RecordingObserver observer;
    Failing thread;
    thread.observer = &observer;
    thread.Start();
    // A watcher finds a box already shown; the second starts after the first box is gone.
    for (const wchar_t* text : {L"Failing::Run()\nno luck", L"Failing::OnRunFinished()\nno luck either"}) {
        testsupport::MessageBoxWatcher watcher;
        testsupport::MessageBoxInfo box = watcher.Wait();
        EXPECT_EQ(L"Exception thrown", box.title);
        EXPECT_EQ(text, box.text);
    }
    EXPECT_TRUE(testsupport::WaitUntil([&] { return observer.States() == std::vector<bool>{true, false}; }, 5000));
    EXPECT_FALSE(thread.IsRunning());
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

}  // namespace
