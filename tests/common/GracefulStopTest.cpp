#include "common/GracefulStop.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <mutex>
#include <string>
#include <vector>

#include "common/ConsoleSignal.h"
#include "common/Process.h"
#include "common/Recorders.h"
#include "support/TestApplication.h"
#include "support/TestPaths.h"

namespace {

using testsupport::WaitUntil;

// Wine delivers no console control events: this records each signal and, when given an event,
// acts the signal out by setting the event the child waits for.
class RecordingSignal : public IConsoleSignal {
public:
    bool Send(DWORD processId, StopSettings::Console console) override {
        std::lock_guard<std::mutex> hold(mutex);
        sent.push_back({processId, console});
        if (!eventName.empty()) {
            SetEvent(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
        }
        return true;
    }
    std::vector<std::pair<DWORD, StopSettings::Console>> sent;
    std::wstring eventName;
    std::mutex mutex;
};

// Can be made to go without a job, as where the system gives none.
class StopTestProcess : public Process {
public:
    bool SetUpJob(HANDLE child) override { return !withoutJob && Process::SetUpJob(child); }
    bool withoutJob = false;
};

// A process started by parent, opened; null while there is none.
HANDLE OpenChildOf(DWORD parent) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    HANDLE child = nullptr;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !child; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parent && entry.th32ProcessID != parent) {
            child = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return child;
}

class GracefulStopTest : public ::testing::Test {
protected:
    void SetUp() override {
        process.SetLogger(&logger);
        process.SetExecutable(probe.c_str());
        process.SetConsoleSignal(&signal);
        settings.present = true;
        static int tests = 0;  // each test its own event: a child left over must not see it
        eventName = L"TarnwickStopTest" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++tests);
    }
    // Starts the child, waits for its first line and asks it to stop.
    void StartAndStop(const std::wstring& arguments, const wchar_t* firstLine = L"started\r\n") {
        logger.Clear();
        process.SetStopSettings(settings);
        process.SetArguments((L"print started " + arguments).c_str());
        process.Start();
        ASSERT_TRUE(logger.WaitForCall(firstLine));
        child = process.GetChildProcessId();
        process.Terminate();
        EXPECT_TRUE(process.StopAsked());
    }
    std::wstring WaitForEnd() {
        EXPECT_TRUE(WaitUntil([&] { return !process.IsRunning(); }));
        return logger.Text();
    }

    testsupport::TestApplication application;
    testsupport::RecordingLogger logger;
    RecordingSignal signal;
    StopTestProcess process;
    StopSettings settings;
    std::wstring probe = testsupport::HelperPath(L"ProcessProbe.exe");
    std::wstring eventName;
    DWORD child = 0;
};

// The child ends with a failure code when asked: a stop all the same, never an on-failure restart.
TEST_F(GracefulStopTest, AStopProgramThatMakesTheChildEndGivesAStoppedRun) {
    settings.executable = probe;
    settings.arguments = L"print asking setevent " + eventName;
    process.SetRestartPolicy(RestartPolicy::Mode::OnFailure);
    StartAndStop(L"waitevent " + eventName + L" print ending exit 3");
    std::wstring text = WaitForEnd();
    size_t asked = text.find(L"[stop] asking\r\n");
    size_t ended = text.find(L"Stopping: stop command ended with exit code 0\r\n");
    size_t footer = text.find(testsupport::Footer() + L"Stopped, ran ");
    ASSERT_NE(std::wstring::npos, footer) << text;
    EXPECT_TRUE(asked < ended && ended < footer && text.find(L"ending\r\n") < footer) << text;
    EXPECT_EQ(std::wstring::npos, text.find(L"Restart policy")) << text;
    EXPECT_EQ(ExitLine::Reason::Stopped, process.GetEndReason());
    EXPECT_TRUE(signal.sent.empty());
}

// The signal goes once, to the run's child; a child that ignores it is ended at the timeout.
TEST_F(GracefulStopTest, AChildThatIgnoresTheSignalIsEndedAtTheTimeout) {
    settings.console = StopSettings::Console::CtrlBreak;
    settings.timeoutMs = 600;
    ULONGLONG asked = GetTickCount64();
    StartAndStop(L"sleep 60000");
    std::wstring text = WaitForEnd();
    EXPECT_GE(GetTickCount64() - asked, 600u);
    EXPECT_NE(std::wstring::npos,
              text.find(L"Stopping: sent Ctrl+Break\r\nStopping: still running after 0.6 s, ending it\r\n"))
        << text;
    EXPECT_NE(std::wstring::npos, text.find(L"Stopped after the timeout, ran ")) << text;
    ASSERT_EQ(1u, signal.sent.size());
    EXPECT_EQ(std::make_pair(child, StopSettings::Console::CtrlBreak), signal.sent[0]);
}

TEST_F(GracefulStopTest, ASignalOrWindowCloseTheChildAnswersEndsTheRunWithinTheTimeout) {
    settings.window = true;
    StartAndStop(L"window", L"window shown\r\n");
    std::wstring text = WaitForEnd();
    EXPECT_NE(std::wstring::npos, text.find(L"Stopping: sent WM_CLOSE to 1 window\r\nwindow closed\r\n")) << text;
    EXPECT_NE(std::wstring::npos, text.find(L"Stopped, ran ")) << text;

    settings.window = false;
    settings.console = StopSettings::Console::CtrlC;
    signal.eventName = eventName;
    StartAndStop(L"waitevent " + eventName + L" print answered");
    text = WaitForEnd();
    // The acted-out signal is answered at once: the answer may come before the stop's line.
    size_t ended = text.find(L"Stopped, ran ");
    ASSERT_NE(std::wstring::npos, ended) << text;
    EXPECT_LT(text.find(L"Stopping: sent Ctrl+C\r\n"), ended) << text;
    EXPECT_LT(text.find(L"answered\r\n"), ended) << text;
}

// The system's own signal reaches the child (Wine delivers Ctrl+C, but not Ctrl+Break, nor the
// event to the program that sends it, whose handler therefore goes unseen here).
TEST_F(GracefulStopTest, TheSystemsCtrlCReachesTheRun) {
    process.SetConsoleSignal(&ConsoleSignal::Instance());
    settings.console = StopSettings::Console::CtrlC;
    StartAndStop(L"ctrlc");
    std::wstring text = WaitForEnd();
    // The step is told once the signal has gone, from the stopping thread, while the child's
    // answer comes through its output: either may be shown first, both before the run's end.
    size_t stopped = text.find(L"Stopped, ran ");
    ASSERT_NE(std::wstring::npos, stopped) << text;
    EXPECT_LT(text.find(L"Stopping: sent Ctrl+C\r\n"), stopped) << text;
    EXPECT_LT(text.find(L"got Ctrl+C\r\n"), stopped) << text;
}

// A run that ends when asked leaves its stop program the rest of the timeout; a second stop
// ends that program at once.
TEST_F(GracefulStopTest, ASecondStopEndsAStopProgramThatOutlivesItsRun) {
    settings.executable = probe;
    settings.arguments = L"print asking setevent " + eventName + L" sleep 60000";
    settings.timeoutMs = 30000;
    StartAndStop(L"waitevent " + eventName + L" print ending");
    ASSERT_TRUE(WaitUntil([&] { return process.GetChildProcessId() == 0; }));  // the run is over
    ASSERT_TRUE(process.IsRunning());
    ULONGLONG again = GetTickCount64();
    process.Terminate();
    std::wstring text = WaitForEnd();
    EXPECT_LT(GetTickCount64() - again, 5000u);
    EXPECT_NE(std::wstring::npos, text.find(L"ending\r\n")) << text;
    EXPECT_NE(std::wstring::npos, text.find(L"Stopping: stop command ended with exit code 1\r\n")) << text;
    EXPECT_NE(std::wstring::npos, text.find(L"Stopped, ran ")) << text;
}

// Without a job the run is its child's whole tree: a child that ends when asked, leaving a
// process it started, has its run end with that one, or at the timeout, which ends that one too.
TEST_F(GracefulStopTest, WithoutAJobTheStopWaitsForTheChildsWholeTree) {
    process.withoutJob = true;
    settings.executable = probe;
    settings.arguments = L"setevent " + eventName;
    settings.timeoutMs = 8000;
    StartAndStop(L"launch \"sleep 1500 print late\" waitevent " + eventName);
    std::wstring text = WaitForEnd();
    size_t stopped = text.find(L"Stopped, ran ");
    ASSERT_NE(std::wstring::npos, stopped) << text;
    EXPECT_LT(text.find(L"late\r\n"), stopped) << text;

    settings.arguments = L"setevent " + eventName + L"b";
    settings.timeoutMs = 2000;
    StartAndStop(L"launch \"sleep 60000\" waitevent " + eventName + L"b");
    HANDLE left = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (left = OpenChildOf(child)) != nullptr; }));
    text = WaitForEnd();
    EXPECT_NE(std::wstring::npos, text.find(L"Stopping: still running after 2.0 s, ending it\r\n")) << text;
    EXPECT_NE(std::wstring::npos, text.find(L"Stopped after the timeout, ran ")) << text;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(left, 5000));
    CloseHandle(left);

    // WM_CLOSE goes to the windows of what the child started too (under Wine the started
    // program's window is found and sent the message, but is not seen to close).
    settings.executable.clear();
    settings.window = true;
    StartAndStop(L"launch window waitevent " + eventName + L"c", L"window shown\r\n");
    text = WaitForEnd();
    EXPECT_NE(std::wstring::npos, text.find(L"Stopping: sent WM_CLOSE to 1 window\r\n")) << text;
}

// A second stop ends the run and the stop program at once; a stop program that cannot start is
// one line, and the wait goes on.
TEST_F(GracefulStopTest, ASecondStopEndsAtOnceAndAMissingStopProgramIsOneLine) {
    settings.executable = probe;
    settings.arguments = L"print waiting sleep 60000";
    settings.timeoutMs = 60000;
    StartAndStop(L"sleep 60000");
    ASSERT_TRUE(logger.WaitForCall(L"[stop] waiting\r\n"));
    process.Terminate();
    std::wstring text = WaitForEnd();
    EXPECT_NE(std::wstring::npos, text.find(L"Stopping: stop command ended with exit code 1\r\n")) << text;
    EXPECT_NE(std::wstring::npos, text.find(L"Stopped, ran ")) << text;
    ULONGLONG again = 0;
    {
        Process going;  // a process destroyed while it runs ends its run at once
        going.SetExecutable(probe.c_str());
        going.SetArguments(L"sleep 60000");
        going.SetStopSettings(settings);
        going.Start();
        ASSERT_TRUE(WaitUntil([&] { return going.GetChildProcessId() != 0; }));
        again = GetTickCount64();
    }
    EXPECT_LT(GetTickCount64() - again, 5000u);

    settings.executable = L"NoSuchStopProgram.exe";
    settings.timeoutMs = 500;
    StartAndStop(L"sleep 60000");
    text = WaitForEnd();
    size_t failed = text.find(L"Stopping: stop command failed to start: NoSuchStopProgram.exe: program not found.");
    ASSERT_NE(std::wstring::npos, failed) << text;
    EXPECT_EQ(std::wstring::npos, text.find(L"Stopping: stop command", failed + 1)) << text;
    EXPECT_NE(std::wstring::npos, text.find(L"Stopping: still running after 0.5 s, ending it\r\n")) << text;
}

}  // namespace
