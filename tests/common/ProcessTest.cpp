#include "common/Process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/ProcessList.h"
#include "common/Recorders.h"
#include "support/ChildRun.h"
#include "support/MessageBoxWatcher.h"
#include "support/ScratchDirectory.h"
#include "support/TestApplication.h"
#include "support/TestPaths.h"
#include "support/ThrownMessage.h"
#include "util/Platform.h"

namespace {

using testsupport::Footer;
using testsupport::RecordingLogger;
using testsupport::RecordingObserver;

std::wstring ProbePath() {
    return testsupport::HelperPath(L"ProcessProbe.exe");
}

// Can be made to go without a job, to fail its tree walk, read event or job query, to do something
// while its new child is still suspended, and shows its pipe end.
class CountingProcess : public Process {
public:
    bool SetUpJob(HANDLE child) override {
        if (whileSuspended) {
            whileSuspended();
        }
        return withoutJob ? false : Process::SetUpJob(child);
    }
    void EndTree(DWORD childId) override {
        if (failTreeWalk) {
            throw new Exception(L"no process list");
        }
        Process::EndTree(childId);
    }
    HANDLE CreateReadEvent() override {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return failReadEvent ? nullptr : Process::CreateReadEvent();
    }
    long ActiveJobProcesses() const override { return failJobQuery ? -1 : Process::ActiveJobProcesses(); }
    HANDLE PipeWriteEnd() const { return pipe.ChildEnd(); }
    std::function<void()> whileSuspended;
    bool withoutJob = false;
    bool failTreeWalk = false;
    bool failReadEvent = false;
    std::atomic<bool> failJobQuery{false};
};

// Whether the observer heard start, end, start, end ... and nothing else.
bool Alternates(const std::vector<bool>& states) {
    for (size_t i = 0; i < states.size(); ++i) {
        if (states[i] != (i % 2 == 0)) {
            return false;
        }
    }
    return states.size() % 2 == 0;
}

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        process.reset(new CountingProcess());
        process->SetLogger(&logger);
        process->SetObserver(&observer);
    }
    void TearDown() override {
        process.reset();
        EXPECT_EQ(0, testsupport::CountProcesses(L"ProcessProbe.exe")) << "a child was left running";
    }

    void Launch(const wchar_t* arguments) {
        process->SetExecutable(ProbePath().c_str());
        process->SetArguments(arguments);
        process->Start();
    }

    // Starts the probe with these arguments and waits for the run's footer.
    std::wstring RunProbe(const wchar_t* arguments) {
        Launch(arguments);
        EXPECT_TRUE(logger.WaitForCall(Footer()));
        // The exit line follows the footer from the worker: the run is over once it is there.
        EXPECT_TRUE(testsupport::WaitUntil([&] { return logger.Calls().back().rfind(L"Exit code ", 0) == 0; }));
        return logger.Text();
    }

    // The child's own output: between the debug block's closing line and the footer.
    static std::wstring ChildOutput(const std::wstring& text) {
        const std::wstring closing = L"\r\n------------------------------------------\r\n";
        size_t begin = text.find(closing), end = text.rfind(Footer());
        if (begin == std::wstring::npos || end == std::wstring::npos) {
            return L"<no frame>";
        }
        return text.substr(begin + closing.size(), end - begin - closing.size());
    }

    testsupport::TestApplication application;
    RecordingLogger logger;
    RecordingObserver observer;
    std::unique_ptr<CountingProcess> process;
};

// Before a launch has found the program: the value as written, in quotes when it holds a blank.
TEST(ProcessCommandLine, BatchFilesRunThroughCmdAndArgumentsFollowAfterOneBlank) {
    struct Case {
        const wchar_t* executable;
        const wchar_t* arguments;
        const wchar_t* commandLine;
    };
    const Case cases[] = {
        {L"C:\\tools\\BUILD.BAT", nullptr, L"cmd.exe /D /V:OFF /E:ON /S /C \"\"C:\\tools\\BUILD.BAT\"\""},
        {L"C:\\tools\\BUILD.BAT", L"-x \"a b\" &x",
         L"cmd.exe /D /V:OFF /E:ON /S /C \"\"C:\\tools\\BUILD.BAT\" -x \"a b\" ^&x\""},
        {L"\"C:\\run it\\go.cmd\" -v", L"x", L"cmd.exe /D /V:OFF /E:ON /S /C \"\"C:\\run it\\go.cmd\" -v x\""},
        {L"C:\\a b\\tool.exe", L"", L"\"C:\\a b\\tool.exe\""},
        {L"\"C:\\a b\\tool.exe\" -v", L"x", L"\"C:\\a b\\tool.exe\" -v x"},
        {L"batch.exe", nullptr, L"batch.exe"},
    };
    for (const Case& c : cases) {
        Process process;
        process.SetExecutable(c.executable);
        process.SetArguments(c.arguments);
        EXPECT_STREQ(c.commandLine, process.GetCommandLine().GetBuffer());
        EXPECT_STREQ(L"", process.GetApplicationName().GetBuffer());
    }
}

// "Program Files (x86)": the program's own path is quoted, so it is not split at the blank.
TEST_F(ProcessTest, AProgramOrBatchFileUnderAFolderWithBlankAndParenthesesRuns) {
    testsupport::ScratchDirectory scratch;
    std::wstring folder = scratch.Path() + L"\\Program Files (x86)";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(ProbePath().c_str(), (folder + L"\\probe.exe").c_str(), FALSE));
    scratch.Write(L"Program Files (x86)\\run it.bat", "@\"%~dp0probe.exe\" print %1\r\n");
    for (const wchar_t* program : {L"probe.exe", L"run it.bat"}) {
        logger.Clear();
        process->SetExecutable((folder + L"\\" + program).c_str());
        process->SetArguments(program[0] == L'p' ? L"print \"a b\"" : L"\"a b\"");
        process->Start();
        ASSERT_TRUE(logger.WaitForCall(Footer()));
        EXPECT_EQ(L"a b\r\n", ChildOutput(logger.Text())) << program;
    }
}

// CLASSPATH in any case never reaches the child (nor the debug block); other entries arrive unchanged.
TEST_F(ProcessTest, DebugBlockChildOutputInItsWorkingDirectoryAndEnvironmentAndFooterAreLoggedExactly) {
    testsupport::ScratchDirectory scratch;
    process->SetWorkingDirectory(scratch.Path().c_str());
    SetEnvironmentVariableW(L"cLaSsPaTh", L"C:\\secret.jar");
    SetEnvironmentVariableW(L"TNK_EQUALS", L"a=b==c");
    SetEnvironmentVariableW(L"TNK_WIDE", L"\u03A9\u2192\u65E5\u672C");
    const std::wstring arguments = L"cwd envhex CLASSPATH envhex TNK_EQUALS envhex TNK_WIDE";
    RunProbe(arguments.c_str());
    for (const wchar_t* name : {L"cLaSsPaTh", L"TNK_EQUALS", L"TNK_WIDE"}) {
        SetEnvironmentVariableW(name, nullptr);
    }
    std::vector<std::wstring> calls = logger.Calls();
    ASSERT_GE(calls.size(), 8u);
    EXPECT_EQ(L"---- Tarnwick Debug Info ----\r\n\r\n", calls[0]);
    EXPECT_EQ(L"Launcher name         : Tarnwick\r\n\r\n", calls[1]);
    EXPECT_EQ(L"Command line          : " + ProbePath() + L" " + arguments + L"\r\n\r\n", calls[2]);
    EXPECT_EQ(L"Working directory     : " + scratch.Path() + L"\r\n\r\n", calls[3]);
    EXPECT_EQ(0u, calls[4].rfind(L"Environment variables : \r\n\r\n", 0));
    EXPECT_NE(std::wstring::npos, calls[4].find(L"\r\nPATH=")) << calls[4];
    EXPECT_EQ(L"\r\n", calls[4].substr(calls[4].size() - 2));
    EXPECT_EQ(L"\r\n------------------------------------------\r\n", calls[5]);
    EXPECT_EQ(scratch.Path() +
                  L"\r\nCLASSPATH=<none>\r\n"
                  L"TNK_EQUALS=0061 003D 0062 003D 003D 0063\r\n"
                  L"TNK_WIDE=03A9 2192 65E5 672C\r\n",
              ChildOutput(logger.Text()));
    EXPECT_EQ(std::wstring::npos, logger.Text().find(L"secret"));
    EXPECT_EQ(Footer(), calls[calls.size() - 2]);
    EXPECT_EQ(0u, calls.back().rfind(L"Exit code 0 (0x00000000), ran 0:00:", 0)) << calls.back();
    EXPECT_EQ(0u, process->GetChildProcessId());  // released with the child's handle
    // The child's output, and nothing of the program's lines, is told as the child's.
    EXPECT_EQ(ChildOutput(logger.Text()), logger.Output());
}

// Unless they are off, the child is told to colour and not to buffer its output, and the debug
// block shows it; what the environment sets already stays as it is.
TEST_F(ProcessTest, ConsoleHintsReachTheChildAndTheDebugBlockUnlessOffOrSetAlready) {
    SetEnvironmentVariableW(L"FORCE_COLOR", nullptr);
    SetEnvironmentVariableW(L"NO_COLOR", nullptr);
    SetEnvironmentVariableW(L"PYTHONUNBUFFERED", L"0");
    RunProbe(L"envhex FORCE_COLOR envhex PYTHONUNBUFFERED");
    EXPECT_EQ(L"FORCE_COLOR=0031\r\nPYTHONUNBUFFERED=0030\r\n", ChildOutput(logger.Text()));
    EXPECT_NE(std::wstring::npos, logger.Calls().at(4).find(L"\r\nFORCE_COLOR=1\r\n"));
    EXPECT_EQ(std::wstring::npos, logger.Calls().at(4).find(L"PYTHONUNBUFFERED=1"));

    for (bool hints : {true, false}) {
        SetEnvironmentVariableW(L"NO_COLOR", L"1");
        SetEnvironmentVariableW(L"PYTHONUNBUFFERED", nullptr);
        RecordingLogger own;
        Process other;
        other.SetLogger(&own);
        other.SetConsoleHints(hints);
        other.SetExecutable(ProbePath().c_str());
        other.SetArguments(L"envhex FORCE_COLOR envhex PYTHONUNBUFFERED");
        other.Start();
        ASSERT_TRUE(own.WaitForCall(Footer()));
        std::wstring expected = hints ? L"FORCE_COLOR=<none>\r\nPYTHONUNBUFFERED=0031\r\n"
                                      : L"FORCE_COLOR=<none>\r\nPYTHONUNBUFFERED=<none>\r\n";
        EXPECT_EQ(expected, ChildOutput(own.Text())) << "hints " << hints;
        EXPECT_EQ(hints, own.Calls().at(4).find(L"\r\nPYTHONUNBUFFERED=1\r\n") != std::wstring::npos);
        EXPECT_TRUE(testsupport::WaitUntil([&] { return own.Calls().back().rfind(L"Exit code ", 0) == 0; }));
    }
    SetEnvironmentVariableW(L"NO_COLOR", nullptr);
}

// A child's UTF-8, its ANSI text and OEM text each read as the entry's encoding says.
TEST_F(ProcessTest, OutputIsDecodedInTheChosenEncoding) {
    using Mode = util::OutputEncoding::Mode;
    // "caf\xc3\xa9" (UTF-8), " \xe9t\xe9" (ANSI 1252), " \x82" (OEM 437: e acute).
    const wchar_t* arguments = L"bytes 636166C3A9 flush bytes 20E974E9 flush bytes 2082";
    struct Case {
        Mode mode;
        std::wstring expected;
    };
    const Case cases[] = {
        {Mode::Auto, L"caf\xe9 \xe9t\xe9 \x201a"},
        {Mode::Utf8, L"caf\xe9 \xfffdt\xfffd \xfffd"},
        {Mode::Ansi, L"caf\xc3\xa9 \xe9t\xe9 \x201a"},
        {Mode::Oem, L"caf\x251c\x2310 \x0398t\x0398 \xe9"},
    };
    ASSERT_EQ(1252u, GetACP());
    ASSERT_EQ(437u, GetOEMCP());
    for (const Case& c : cases) {
        RecordingLogger own;
        Process other;
        other.SetLogger(&own);
        other.SetOutputEncoding(c.mode);
        other.SetExecutable(ProbePath().c_str());
        other.SetArguments(arguments);
        other.Start();
        ASSERT_TRUE(own.WaitForCall(Footer()));
        EXPECT_EQ(c.expected, ChildOutput(own.Text())) << util::OutputEncoding::Name(c.mode);
        EXPECT_TRUE(testsupport::WaitUntil([&] { return own.Calls().back().rfind(L"Exit code ", 0) == 0; }));
    }
}

// A reload may change the encoding while a run goes on: the run keeps decoding as it began.
TEST_F(ProcessTest, AnEncodingChangedDuringARunAppliesFromTheNextRun) {
    RecordingLogger own;
    Process other;
    other.SetLogger(&own);
    other.SetOutputEncoding(util::OutputEncoding::Mode::Utf8);
    other.SetExecutable(ProbePath().c_str());
    other.SetArguments(L"bytes 636166C3A9 flush sleep 1000 bytes 20C3A9 flush");
    other.Start();
    ASSERT_TRUE(own.WaitForCall(L"caf\xe9"));
    other.SetOutputEncoding(util::OutputEncoding::Mode::Ansi);
    ASSERT_TRUE(own.WaitForCall(Footer()));
    EXPECT_EQ(L"caf\xe9 \xe9", ChildOutput(own.Text()));
    EXPECT_TRUE(testsupport::WaitUntil([&] { return own.Calls().back().rfind(L"Exit code ", 0) == 0; }));
}

// The child's last output, and a grandchild's written after the child has ended, come before the
// footer, without zero bytes ("ab", zero, "cd", zero, CRLF), in chunks of at most one read each.
TEST_F(ProcessTest, LastOutputOfTheChildAndOfAGrandchildOutlivingItComesBeforeTheFooter) {
    RunProbe(L"burst 300000 65536 bytes 6162006364000D0A print LAST launch \"sleep 300 print late\" exit 7");
    std::wstring output = ChildOutput(logger.Text());
    ASSERT_EQ(300000u + 18u, output.size());
    EXPECT_EQ(L"abcd\r\nLAST\r\nlate\r\n", output.substr(300000));
    EXPECT_EQ(7u, process->GetExitCode());
    EXPECT_TRUE(process->EndedByItself());
    for (const std::wstring& call : logger.Calls()) {
        EXPECT_LE(call.size(), 32785u + 3u);
    }
}

// A program that cannot be started, an environment too large for the child's block: no box; the
// output shows the debug block, the footer and why, and the run ends as failed to start.
TEST_F(ProcessTest, AFailedLaunchIsLoggedWithoutABoxAndEndsTheRunAsFailedToStart) {
    const std::wstring big(30000, L'e');
    const struct {
        const wchar_t* program;  // null: the probe
        std::wstring why;
    } cases[] = {{L"C:\\no\\such\\program.exe", L"failed to start: C:\\no\\such\\program.exe: "},
                 {nullptr, L"failed to start: " + ProbePath() +
                               L": The environment does not fit in the child's "
                               L"block of 262144 bytes.\r\n"}};
    for (const auto& c : cases) {
        logger.Clear();
        for (int i = 0; i < 5; ++i) {
            SetEnvironmentVariableW((L"TNK_BIG" + std::to_wstring(i)).c_str(), c.program ? nullptr : big.c_str());
        }
        process->SetExecutable(c.program ? c.program : ProbePath().c_str());
        process->SetArguments(L"print launched sleep 60000");
        process->Start();
        ASSERT_TRUE(process->WaitForEnd(10000));
        std::vector<std::wstring> calls = logger.Calls();
        ASSERT_GE(calls.size(), 8u);
        EXPECT_EQ(L"---- Tarnwick Debug Info ----\r\n\r\n", calls[0]);
        EXPECT_EQ(Footer(), calls[calls.size() - 2]);
        EXPECT_EQ(0u, calls.back().rfind(c.why, 0)) << calls.back();
        if (c.program) {
            EXPECT_GT(calls.back().size(), c.why.size() + 3) << "the system's text follows";
        } else {
            EXPECT_EQ(c.why, calls.back());
        }
        EXPECT_EQ(ExitLine::Reason::FailedToStart, process->GetEndReason());
        EXPECT_EQ(calls.back().substr(0, calls.back().size() - 2), process->GetEndNote());
    }
    EXPECT_EQ(nullptr, testsupport::MessageBoxWatcher::FindBox(GetCurrentProcessId()));
    EXPECT_TRUE(observer.Failures().empty());
    EXPECT_TRUE(Alternates(observer.States()));
}

// A failed launch is a failure to the restart policy: tried again after 1 s, then 2 s, each retry
// adding one line.
TEST_F(ProcessTest, AFailedLaunchIsRetriedWithBackOffOneLineEachTime) {
    process->SetRestartPolicy(RestartPolicy::Mode::OnFailure);
    process->SetExecutable(L"C:\\no\\such\\program.exe");
    const std::wstring failed = L"failed to start: C:\\no\\such\\program.exe: ";
    auto failures = [&] {
        int count = 0;
        for (const std::wstring& call : logger.Calls()) {
            count += call.rfind(failed, 0) == 0 ? 1 : 0;
        }
        return count;
    };
    ULONGLONG start = GetTickCount64();
    process->Start();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return failures() == 2; }, 10000));
    EXPECT_GE(GetTickCount64() - start, 900u);
    EXPECT_TRUE(process->IsRunning());  // waiting for the next attempt, in 2 s
    size_t calls = logger.Calls().size();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return failures() == 3; }, 10000));
    EXPECT_GE(GetTickCount64() - start, 2900u);
    EXPECT_EQ(calls + 1, logger.Calls().size()) << "one line per retry";
    process->Terminate();
    ASSERT_TRUE(process->WaitForEnd(5000));
    std::wstring text = logger.Text();
    EXPECT_EQ(text.find(L"---- Tarnwick Debug Info ----\r\n\r\n"),
              text.rfind(L"---- Tarnwick Debug Info ----\r\n\r\n"));
    EXPECT_NE(std::wstring::npos,
              text.find(L"Restart policy \"on-failure\" after a failed start: starting again in 1 s, at "));
    EXPECT_EQ(ExitLine::Reason::Stopped, process->GetEndReason());
}

// A retry that finds the program runs it as any launch: with a debug block of its own.
TEST_F(ProcessTest, ARetryThatSucceedsShowsItsRunInFull) {
    testsupport::ScratchDirectory scratch;
    const std::wstring program = scratch.Path() + L"\\late.exe";
    process->SetRestartPolicy(RestartPolicy::Mode::OnFailure);
    process->SetExecutable(program.c_str());
    process->SetArguments(L"print arrived");
    process->Start();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return logger.Text().find(L"failed to start: ") != std::wstring::npos; }));
    ASSERT_TRUE(CopyFileW(ProbePath().c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(
        testsupport::WaitUntil([&] { return logger.Text().find(L"Exit code 0 ") != std::wstring::npos; }, 10000));
    std::wstring text = logger.Text();
    size_t second = text.find(L"---- Tarnwick Debug Info ----\r\n\r\n", text.find(L"failed to start: "));
    ASSERT_NE(std::wstring::npos, second);
    EXPECT_LT(second, text.find(L"\r\narrived\r\n"));
    process->Terminate();
    ASSERT_TRUE(process->WaitForEnd(5000));
}

// A reader without its read event (it ends the child it launched) fails unexpectedly: the failure
// goes to the observer, not a box, and the run still ends as stopped.
TEST_F(ProcessTest, AnUnexpectedFailureAfterTheLaunchIsToldToTheObserverOnce) {
    process->failReadEvent = true;
    Launch(L"print launched sleep 60000");
    ASSERT_TRUE(process->WaitForEnd(10000));
    std::vector<std::wstring> failures = observer.Failures();
    ASSERT_EQ(1u, failures.size());
    EXPECT_EQ(0u, failures[0].rfind(L"Process::ReadOutput()\n", 0)) << failures[0];
    EXPECT_EQ(0u, logger.Calls().back().rfind(L"Stopped, ran 0:00:", 0)) << logger.Calls().back();
    EXPECT_EQ(std::wstring::npos, logger.Text().find(L"launched\r\n"));
    EXPECT_EQ(0, testsupport::CountProcesses(L"ProcessProbe.exe"));
    EXPECT_EQ(nullptr, testsupport::MessageBoxWatcher::FindBox(GetCurrentProcessId()));
}

TEST_F(ProcessTest, StopRightAfterStartLeavesNoChildAndNoHandleBehind) {
    size_t handles = 0;
    for (int round = 0; round < 51; ++round) {  // fifty cycles after the first; each start-up delay ten times
        Launch(L"spawn 1 60000");
        Sleep(static_cast<DWORD>(round % 5 * 20));
        process->Terminate();
        ASSERT_TRUE(process->WaitForEnd(5000)) << "round " << round;
        EXPECT_TRUE(testsupport::WaitUntil([] { return testsupport::CountProcesses(L"ProcessProbe.exe") == 0; }, 3000))
            << "round " << round;
        handles = round == 0 ? testsupport::OpenHandleCount() : handles;
    }
    EXPECT_EQ(handles, testsupport::OpenHandleCount());
    EXPECT_EQ(102u, observer.States().size());
    EXPECT_TRUE(Alternates(observer.States()));
}

// A Stop that comes while the system is still making the child finds nothing to end yet: the
// child is ended before it runs anything, and the run is told as stopped. A child that was let
// run would set its event while the worker is held at the debug block.
TEST_F(ProcessTest, AStopWhileTheChildIsBeingMadeEndsItBeforeItRuns) {
    const std::wstring name = L"TarnwickProbeRan" + std::to_wstring(GetCurrentProcessId());
    HANDLE ran = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    struct Holding : RecordingLogger {
        HANDLE ran = nullptr;
        void Log(const wchar_t* text) override {
            if (std::wstring(text).rfind(L"---- ", 0) == 0) {
                WaitForSingleObject(ran, 3000);
            }
            RecordingLogger::Log(text);
        }
    } holding;
    holding.ran = ran;
    process->SetLogger(&holding);
    process->whileSuspended = [&] { std::thread([&] { process->Terminate(); }).join(); };
    Launch((L"setevent " + name).c_str());
    ASSERT_TRUE(process->WaitForEnd(20000));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(ran, 0)) << "the child ran";
    CloseHandle(ran);
    EXPECT_EQ(ExitLine::Reason::Stopped, process->GetEndReason());
    ASSERT_TRUE(holding.WaitForCall(Footer()));
    EXPECT_EQ(0u, holding.Calls().back().rfind(L"Stopped, ran ", 0)) << holding.Calls().back();
}

// A logger that fails while the child runs ends the run as a failure of the worker: the child
// must end with it, also without a job (whose closing would end it), never run on unattended.
TEST_F(ProcessTest, ALoggerFailingWhileTheChildRunsEndsTheChildToo) {
    struct Failing : RecordingLogger {
        std::atomic<bool> failed{false};
        void Log(const wchar_t* text) override {
            RecordingLogger::Log(text);
            if (std::wstring(text).rfind(L"running", 0) == 0 && !failed.exchange(true)) {  // the child's line
                throw new Exception(L"Failing\nthe window is gone");
            }
        }
    } failing;
    process->withoutJob = true;
    process->SetLogger(&failing);
    Launch(L"print running sleep 60000");
    ASSERT_TRUE(process->WaitForEnd(20000));
    EXPECT_EQ(std::vector<std::wstring>{L"Failing\nthe window is gone"}, observer.Failures());
    EXPECT_TRUE(testsupport::WaitUntil([] { return testsupport::CountProcesses(L"ProcessProbe.exe") == 0; }, 5000));
    EXPECT_EQ(0u, failing.Calls().back().rfind(L"Exit code ", 0)) << failing.Calls().back();
}

TEST_F(ProcessTest, StartRestartAndDeletionJustAsTheChildEndsByItself) {
    for (int round = 0; round < 6; ++round) {
        RecordingObserver roundObserver;
        logger.Clear();
        process.reset(new CountingProcess());
        process->SetLogger(&logger);
        process->SetObserver(&roundObserver);
        Launch(L"print x");
        Sleep(static_cast<DWORD>(round * 15));
        if (round % 2 == 0) {
            if (process->Restart()) {
                ASSERT_TRUE(process->WaitForEnd(5000));
                process->Start();
            }
            EXPECT_TRUE(logger.WaitForCall(Footer(), 2)) << "round " << round;
        }
        process.reset();
        size_t calls = logger.Calls().size();
        Sleep(30);
        EXPECT_EQ(calls, logger.Calls().size()) << "logged after deletion, round " << round;
        std::vector<bool> states = roundObserver.States();
        EXPECT_FALSE(states.empty()) << "round " << round;
        EXPECT_TRUE(Alternates(states)) << "round " << round;
    }
}

// Terminate returns at once while the child runs on; the end follows, with nothing left behind
// (the handles of the first run's system set-up stay: counted after it).
TEST_F(ProcessTest, TerminateReturnsAtOnceAndTheRunEndsAfterIt) {
    size_t handles = 0;
    for (int round = 0; round < 2; ++round) {
        logger.Clear();
        Launch(L"spawn 2 60000");
        ASSERT_TRUE(testsupport::WaitUntil([] { return testsupport::CountProcesses(L"ProcessProbe.exe") == 3; }));
        ULONGLONG before = GetTickCount64();
        process->Terminate();
        EXPECT_LT(GetTickCount64() - before, 100u);
        ASSERT_TRUE(process->WaitForEnd(5000));
        EXPECT_EQ(0u, logger.Calls().back().rfind(L"Stopped, ran 0:00:", 0)) << logger.Calls().back();
        EXPECT_EQ(L"stopped", process->GetEndNote());
        EXPECT_TRUE(testsupport::WaitUntil([] { return testsupport::CountProcesses(L"ProcessProbe.exe") == 0; }, 3000));
        handles = round == 0 ? testsupport::OpenHandleCount() : handles;
    }
    EXPECT_EQ(handles, testsupport::OpenHandleCount()) << "pipe, read event, job, child";
    EXPECT_EQ((std::vector<bool>{true, false, true, false}), observer.States());
}

// A job that cannot be asked may still hold processes: its run is not over until it can be.
TEST_F(ProcessTest, AFailedJobQueryNeverCountsAsTheEndOfTheRun) {
    process->failJobQuery = true;
    Launch(L"print done exit 0");
    ASSERT_TRUE(testsupport::WaitUntil([&] { return logger.Text().find(L"done\r\n") != std::wstring::npos; }));
    Sleep(500);
    EXPECT_TRUE(process->IsRunning());
    process->failJobQuery = false;
    ASSERT_TRUE(process->WaitForEnd(5000));
    EXPECT_EQ(ExitLine::Reason::ByItself, process->GetEndReason());
}

// A batch file that starts a server and exits: the run goes on as long as the server does.
TEST_F(ProcessTest, ARunLastsUntilEveryProcessOfItsJobHasEndedAndStopEndsThemAll) {
    testsupport::ScratchDirectory scratch;
    std::wstring batch = scratch.Write(L"serve.bat", "@start \"\" /b \"" +
                                                         platform::WideToUtf8(ProbePath().c_str(), ProbePath().size()) +
                                                         "\" print server spawn 1 60000\r\n@exit 0\r\n");
    process->SetExecutable(batch.c_str());
    process->Start();
    ASSERT_TRUE(testsupport::WaitUntil([] { return testsupport::CountProcesses(L"ProcessProbe.exe") == 2; }));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return logger.Text().find(L"server\r\n") != std::wstring::npos; }));
    Sleep(300);  // the batch file has long ended
    EXPECT_EQ(0, testsupport::CountProcesses(L"cmd.exe"));
    EXPECT_TRUE(process->IsRunning());
    process->Terminate();
    ASSERT_TRUE(process->WaitForEnd(5000));
    EXPECT_EQ(0, testsupport::CountProcesses(L"ProcessProbe.exe"));
    EXPECT_NE(std::wstring::npos, logger.Text().find(L"\r\nStopped, ran "));
}

// A descendant that floods the pipe after the child has gone: a stop is still seen between reads,
// and without a job the run still ends with its child (the orphan then loses its pipe and ends).
TEST_F(ProcessTest, AFloodingDescendantNeitherHidesAStopNorKeepsARunWithoutJobGoing) {
    const wchar_t* flood = L"launch \"burst 2000000000 4096\" exit 0";
    Launch(flood);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return logger.Calls().size() > 100; }));
    EXPECT_TRUE(process->IsRunning());
    process->Terminate();
    ASSERT_TRUE(process->WaitForEnd(5000));
    EXPECT_EQ(0, testsupport::CountProcesses(L"ProcessProbe.exe"));
    process->withoutJob = true;
    logger.Clear();
    Launch(flood);
    EXPECT_TRUE(logger.WaitForCall(Footer()));
    EXPECT_TRUE(testsupport::WaitUntil([] { return testsupport::CountProcesses(L"ProcessProbe.exe") == 0; }));
}

// Tarnwick killed from the task manager: the system ends every run's processes.
// A crash ends the process at once rather than leaving it in the system's error reporting.
TEST(ProcessJob, AJobEndsACrashedProcessAndEverythingAtItsClose) {
    struct Watched : JobObject {
        bool SetLimits(JOBOBJECT_EXTENDED_LIMIT_INFORMATION& limits) override {
            given = limits.BasicLimitInformation.LimitFlags;
            return JobObject::SetLimits(limits);
        }
        DWORD given = 0;
    } job;
    ASSERT_TRUE(job.Create());
    const DWORD wanted = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    EXPECT_EQ(wanted, job.given);
    // Where the system reports the limits back (Windows does, Wine reports none) they are these.
    DWORD reported = job.LimitFlags();
    EXPECT_TRUE(reported == 0 || reported == wanted) << reported;
}

TEST(ProcessJob, NothingOfThreeRunsSurvivesTheirHostBeingKilled) {
    testsupport::ChildRun host(L"\"" + testsupport::HelperPath(L"JobHost.exe") + L"\"");
    ASSERT_TRUE(host.Started());
    ASSERT_TRUE(testsupport::WaitUntil([] { return testsupport::CountProcesses(L"ProcessProbe.exe") == 6; }));
    TerminateProcess(host.ProcessHandle(), 9);
    EXPECT_TRUE(testsupport::WaitUntil([] { return testsupport::CountProcesses(L"ProcessProbe.exe") == 0; }, 5000));
}

// Without a job (the run says so, once) Terminate walks the tree; a walk that fails (Terminate then
// says why) still ends the run, child and all: the worker ends the child itself.
TEST_F(ProcessTest, WithoutAJobAStopEndsTheTreeEvenWhenTheWalkFails) {
    process->withoutJob = true;
    for (bool fail : {false, true}) {
        logger.Clear();
        process->failTreeWalk = fail;
        int depth = fail ? 0 : 2;  // of the probe's tree below the child
        Launch((L"spawn " + std::to_wstring(depth) + L" 60000").c_str());
        ASSERT_TRUE(testsupport::WaitUntil([&] {
            return process->GetChildProcessId() != 0 && testsupport::CountProcesses(L"ProcessProbe.exe") == depth + 1;
        }));
        EXPECT_EQ(fail ? L"no process list" : L"<no exception>",
                  testsupport::ThrownMessage([&] { process->Terminate(); }));
        ASSERT_TRUE(process->WaitForEnd(5000)) << fail;
        EXPECT_TRUE(testsupport::WaitUntil([] { return testsupport::CountProcesses(L"ProcessProbe.exe") == 0; }));
        std::wstring text = logger.Text();
        const std::wstring said = L"The run could not be put in a job object: Stop ends its process tree instead.\r\n";
        EXPECT_NE(std::wstring::npos, text.find(said));
        EXPECT_EQ(text.find(said), text.rfind(said));
        EXPECT_NE(std::wstring::npos, text.find(L"\r\nStopped, ran ")) << fail;
    }
}

TEST_F(ProcessTest, AChildInheritsNoOtherRunsPipe) {
    CountingProcess other;
    RecordingLogger otherLogger;
    other.SetLogger(&otherLogger);
    other.SetExecutable(ProbePath().c_str());
    other.SetArguments(L"sleep 60000");
    other.Start();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return other.GetChildProcessId() != 0; }));
    std::wstring arguments = L"handle " + std::to_wstring(reinterpret_cast<ULONG_PTR>(other.PipeWriteEnd()));
    EXPECT_EQ(L"handle closed\r\n", ChildOutput(RunProbe(arguments.c_str())));
    other.Terminate();
    other.WaitForEnd(5000);
}

TEST_F(ProcessTest, TheExitLineTellsCodeAndHowTheRunEnded) {
    RunProbe(L"exit 0xC0000005");
    EXPECT_EQ(0u, logger.Calls().back().rfind(L"Exit code 3221225477 (0xC0000005), ran 0:00:", 0));
    EXPECT_NE(std::wstring::npos, logger.Calls().back().find(L", ended by itself\r\n"));
    // A Restart or Stop by hand never restarts, whatever the policy.
    logger.Clear();
    process->SetRestartPolicy(RestartPolicy::Mode::Always);
    Launch(L"sleep 60000");
    ASSERT_TRUE(testsupport::WaitUntil([&] { return process->GetChildProcessId() != 0; }));
    ASSERT_TRUE(process->Restart());  // asked to end: the caller starts again after the end
    ASSERT_TRUE(process->WaitForEnd(5000));
    EXPECT_EQ(ExitLine::Reason::Restarted, process->GetEndReason());
    process->Start();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return process->GetChildProcessId() != 0; }));
    process->Terminate();
    ASSERT_TRUE(process->WaitForEnd(5000));
    std::vector<std::wstring> calls = logger.Calls();
    EXPECT_EQ(1, std::count_if(calls.begin(), calls.end(), [](const std::wstring& call) {
                  return call.rfind(L"Stopped, ran ", 0) == 0 &&
                         call.find(L", ended for a restart\r\n") != std::wstring::npos;
              }));
    EXPECT_EQ(0u, calls.back().rfind(L"Stopped, ran ", 0));
    EXPECT_EQ(std::wstring::npos, calls.back().find(L"restart"));
    EXPECT_EQ(std::wstring::npos, logger.Text().find(L"Restart policy"));
    EXPECT_FALSE(process->EndedByItself());
}

TEST_F(ProcessTest, ARestartWaitsBacksOffAndEndsWithAStopThatCancelsTheWait) {
    process->SetRestartPolicy(RestartPolicy::Mode::OnFailure);
    Launch(L"exit 3");
    ASSERT_TRUE(logger.WaitForCall(Footer(), 2));
    const wchar_t* second = L"Restart policy \"on-failure\" after exit code 3 (0x00000003): starting again in 2 s, at ";
    ASSERT_TRUE(testsupport::WaitUntil([&] { return logger.Text().find(second) != std::wstring::npos; }));
    EXPECT_NE(std::wstring::npos,
              logger.Text().find(
                  L"Restart policy \"on-failure\" after exit code 3 (0x00000003): starting again in 1 s, at "));
    EXPECT_TRUE(process->IsRunning());  // the worker waits: the run goes on
    process->Terminate();
    EXPECT_TRUE(process->WaitForEnd(1000));
    EXPECT_EQ(std::wstring::npos, logger.Text().find(L"Stopped, ran "));  // no child was running
    // A policy chosen during the wait that no longer restarts ends the run, and says so.
    Launch(L"exit 3");
    ASSERT_TRUE(logger.WaitForCall(Footer(), 3));
    process->SetRestartPolicy(RestartPolicy::Mode::Never);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !process->IsRunning(); }));
    EXPECT_EQ(L"Restart policy \"never\" now: not starting again.\r\n", logger.Calls().back());
    EXPECT_EQ((std::vector<bool>{true, false, true, false}), observer.States());
}

// Holds the reader back at the child's first output, long enough for the pipe to fill up.
class HoldingLogger : public RecordingLogger {
public:
    void Log(const wchar_t* text) override {
        if (!held && text[0] >= L'A' && text[0] <= L'D' && text[1] == text[0]) {
            held = true;
            Sleep(700);
        }
        RecordingLogger::Log(text);
    }
    std::atomic<bool> held{false};
};

// The child's writers block while the pipe is full, they never fail: all four threads' bytes arrive.
TEST_F(ProcessTest, FourThreadsWritingAtOnceWhileTheReaderIsHeldBackDeliverEveryByte) {
    HoldingLogger holding;
    process->SetLogger(&holding);
    const unsigned long long writes = 40, size = 16384;
    Launch((L"threads 4 " + std::to_wstring(writes) + L" " + std::to_wstring(size)).c_str());
    ASSERT_TRUE(holding.WaitForCall(Footer()));
    EXPECT_TRUE(holding.held);
    std::wstring output = ChildOutput(holding.Text());
    for (wchar_t letter = L'A'; letter <= L'D'; ++letter) {
        EXPECT_EQ(writes * size, static_cast<unsigned long long>(std::count(output.begin(), output.end(), letter)))
            << static_cast<char>(letter);
    }
    EXPECT_EQ(writes * size * 4 + 8, output.size());
    EXPECT_EQ(L"lost 0\r\n", output.substr(output.size() - 8));
}

// Runs programs from a current directory that holds planted ones.
class ProgramSearchTest : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        GetCurrentDirectoryW(MAX_PATH, saved);
        ASSERT_TRUE(SetCurrentDirectoryW(planted.Path().c_str()));
        for (const wchar_t* name : {L"cmd.exe", L"My.exe", L"Planted.exe"}) {
            ASSERT_TRUE(CopyFileW(ProbePath().c_str(), planted.File(name).c_str(), FALSE));
        }
    }
    void TearDown() override {
        SetCurrentDirectoryW(saved);
        ProcessTest::TearDown();
        EXPECT_EQ(0, testsupport::CountProcesses(L"My.exe"));
        EXPECT_EQ(0, testsupport::CountProcesses(L"Planted.exe"));
    }
    // Waits for the run's end; returns the text of the failed launch's box when one is expected
    // (a box that comes unexpected is closed all the same).
    std::wstring Run(const std::wstring& executable, const wchar_t* arguments, bool fails = false) {
        logger.Clear();
        process->SetExecutable(executable.c_str());
        process->SetArguments(arguments);
        process->Start();
        EXPECT_TRUE(logger.WaitForCall(Footer()));
        EXPECT_TRUE(testsupport::WaitUntil([&] { return !process->IsRunning(); }));
        return fails ? logger.Calls().back() : L"";
    }
    std::string ProbeUtf8() const { return platform::WideToUtf8(ProbePath().c_str(), ProbePath().size()); }

    testsupport::ScratchDirectory planted;
    wchar_t saved[MAX_PATH] = L"";
};

// A bare name is found in this program's folder and the system's, a batch file runs through the
// system's cmd.exe, and the batch file's arguments stay its arguments.
TEST_F(ProgramSearchTest, BareNamesAndBatchFilesNeverRunWhatTheCurrentDirectoryHolds) {
    testsupport::ScratchDirectory tools;
    std::wstring folder = tools.Path() + L"\\run (x86)";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    std::wstring batch = folder + L"\\two args.bat";
    tools.Write(L"run (x86)\\two args.bat", "@\"" + ProbeUtf8() + "\" print \"[%~1]\" print \"[%~2]\"\r\n");
    struct Case {
        std::wstring executable;
        const wchar_t* arguments;
        const wchar_t* output;
    } const cases[] = {
        {L"ProcessProbe.exe", L"print found", L"found\r\n"},
        {L"ProcessProbe", L"print found", L"found\r\n"},
        {batch, L"x&echo INJECTED", L"[x&echo]\r\n[INJECTED]\r\n"},
        {batch, L"%TNK_ARGUMENT% !TNK_ARGUMENT!", L"[expanded]\r\n[!TNK_ARGUMENT!]\r\n"},
        {L"\"" + batch + L"\" \"a b\"", L"(c)|d", L"[a b]\r\n[(c)|d]\r\n"},
    };
    SetEnvironmentVariableW(L"TNK_ARGUMENT", L"expanded");
    for (const Case& c : cases) {
        Run(c.executable, c.arguments);
        EXPECT_EQ(c.output, ChildOutput(logger.Text())) << c.executable;
    }
    SetEnvironmentVariableW(L"TNK_ARGUMENT", nullptr);
    // The debug block shows what ran.
    EXPECT_NE(std::wstring::npos, logger.Text().find(L"Command line          : cmd.exe /D /V:OFF /E:ON /S /C \"\"" +
                                                     batch + L"\" \"a b\" ^(c^)^|d\"\r\n"));
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(std::wstring(system) + L"\\cmd.exe", process->GetApplicationName().GetBuffer());
    Run(L"ProcessProbe", L"exit 0");
    EXPECT_EQ(ProbePath(), process->GetApplicationName().GetBuffer());
    EXPECT_NE(std::wstring::npos, logger.Text().find(L"Command line          : " + ProbePath() + L" exit 0\r\n"));
}

// A value that names no file (an unquoted path with its arguments, a name only the current
// directory has) or that cmd.exe would misread fails to start, saying why; nothing planted runs.
TEST_F(ProgramSearchTest, AValueNamingNoFileOrBadBatchArgumentsFailToStartAndSayWhy) {
    std::wstring tools = planted.Path() + L"\\My Tools";
    ASSERT_TRUE(CreateDirectoryW(tools.c_str(), nullptr));
    std::wstring batch = planted.Write(L"b.bat", "@echo ran\r\n");
    const std::wstring hint =
        L" If the program's path holds blanks, put it in quotes; if the value goes on with the "
        L"program's arguments, move them to commandLineArguments.";
    struct Case {
        std::wstring executable;
        const wchar_t* arguments;
        std::wstring named;  // the program as the failure names it
        std::wstring why;
    } const cases[] = {
        {tools + L"\\tool print planted", L"", L"\"" + tools + L"\\tool print planted\"", L"program not found." + hint},
        {L"Planted", L"print planted", L"Planted", L"program not found." + hint},
        {L"\"" + tools + L"\\tool\" -x", L"", L"\"" + tools + L"\\tool\" -x", L"program not found."},
        {L"\"" + tools + L"\\tool", L"", L"\"" + tools + L"\\tool\"", L"the program's closing quote is missing."},
        {batch, L"\"a", batch,
         L"The arguments of the batch file hold an odd number of quotes (1): close each "
         L"quoted part with a second quote."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(L"failed to start: " + c.named + L": " + c.why + L"\r\n", Run(c.executable, c.arguments, true));
        EXPECT_EQ(std::wstring::npos, ChildOutput(logger.Text()).find(L"planted"));
        EXPECT_EQ(std::wstring::npos, logger.Text().find(L"ran\r\n"));
    }
    EXPECT_TRUE(Alternates(observer.States()));
}

}  // namespace
