#include "common/Process.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
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

// Counts the kills Stop had to make; can be made to go without a job, and shows its pipe end.
class CountingProcess : public Process {
public:
    bool SetUpJob(HANDLE child) override { return withoutJob ? false : Process::SetUpJob(child); }
    void EndTree(DWORD childId) override {
        if (failTreeWalk) {
            throw new Exception(L"no process list");
        }
        if (hangTreeWalkOnWorker && GetCurrentThreadId() == GetThreadId()) {
            Sleep(INFINITE);  // a walk that outlasts the worker's bracket: Stop kills it here
        }
        Process::EndTree(childId);
    }
    HANDLE CreateReadEvent() override {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return failReadEvent ? nullptr : Process::CreateReadEvent();
    }
    // A cancel lost on the worker leaves it waiting on its read until Stop kills it.
    BOOL CancelRead(OVERLAPPED* read) override {
        if (loseWorkerCancel && GetCurrentThreadId() == GetThreadId()) {
            lostRead = read;
            return TRUE;
        }
        return Process::CancelRead(read);
    }
    HANDLE PipeWriteEnd() const { return m_hChild_STDOUT_Write; }
    bool withoutJob = false;
    bool failTreeWalk = false;
    bool hangTreeWalkOnWorker = false;
    bool failReadEvent = false;
    bool loseWorkerCancel = false;
    OVERLAPPED* lostRead = nullptr;
    void OnTerminated() override {
        ++terminated;
        Process::OnTerminated();
    }
    std::atomic<int> terminated{0};
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
        process->observer = &observer;
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

TEST(ProcessCommandLine, BatchFilesRunThroughCmdAndArgumentsFollowAfterOneBlank) {
    struct Case {
        const wchar_t* executable;
        const wchar_t* arguments;
        const wchar_t* commandLine;
    };
    const Case cases[] = {
        {L"C:\\tools\\BUILD.BAT", nullptr, L"cmd.exe /S /C \"\"C:\\tools\\BUILD.BAT\"\""},
        {L"C:\\tools\\BUILD.BAT", L"-x \"a b\"", L"cmd.exe /S /C \"\"C:\\tools\\BUILD.BAT\" -x \"a b\"\""},
        {L"run.Cmd", L"", L"cmd.exe /S /C \"\"run.Cmd\"\""},
        {L"C:\\a b\\tool.exe", L"", L"C:\\a b\\tool.exe"},  // names no file: stays as written
        {L"\"C:\\a b\\tool.exe\" -v", L"x", L"\"C:\\a b\\tool.exe\" -v x"},
        {L"batch.exe", nullptr, L"batch.exe"},
    };
    for (const Case& c : cases) {
        Process process;
        process.SetExecutable(c.executable);
        process.SetArguments(c.arguments);
        EXPECT_STREQ(c.commandLine, process.GetCommandLine().GetBuffer());
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
    EXPECT_EQ(0u, calls.back().rfind(L"Exit code 0, ran 0:00:", 0)) << calls.back();
    EXPECT_EQ(0u, process->GetChildProcessId());  // released with the child's handle
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

// A program that cannot be started, an environment too large for the child's block, a reader
// without its read event (it ends the child it launched): the failure is shown, nothing of the
// child's output is, and the run still ends with its footer (and exit line, once a child ran).
TEST_F(ProcessTest, AFailedStartIsShownAndTheRunStillEndsWithItsLines) {
    struct Case {
        const wchar_t* program;  // null: the probe
        bool readerFails;
        std::wstring where;
    };
    for (const Case& c : {Case{L"C:\\no\\such\\program.exe", false, L"Process::ExecuteExternalProcess()\n"},
                          Case{nullptr, true, L"Process::ReadOutput()\n"}}) {
        logger.Clear();
        process->failReadEvent = c.readerFails;
        process->SetExecutable(c.program ? c.program : ProbePath().c_str());
        process->SetArguments(L"print launched sleep 60000");
        testsupport::MessageBoxWatcher watcher;
        process->Start();
        testsupport::MessageBoxInfo box = watcher.Wait();
        EXPECT_EQ(L"Exception thrown", box.title);
        ASSERT_TRUE(logger.WaitForCall(Footer()));
        EXPECT_EQ(0u, box.text.rfind(c.where, 0)) << box.text;
        EXPECT_GT(box.text.size(), c.where.size());                          // the system's text follows
        EXPECT_EQ(std::wstring::npos, logger.Text().find(L"launched\r\n"));  // the debug block has "launched sleep"
        EXPECT_EQ(0, testsupport::CountProcesses(L"ProcessProbe.exe"));
        if (c.readerFails) {
            ASSERT_TRUE(testsupport::WaitUntil([&] { return logger.Calls().back().rfind(L"Exit code ", 0) == 0; }));
            EXPECT_NE(std::wstring::npos, logger.Calls().back().find(L", stopped\r\n"));
        }
    }
    EXPECT_TRUE(Alternates(observer.States()));
}

TEST_F(ProcessTest, StopRightAfterStartLeavesNoChildAndNoHandleBehind) {
    size_t handles = 0;
    for (int round = 0; round < 51; ++round) {  // fifty cycles after the first; each start-up delay ten times
        Launch(L"spawn 1 60000");
        Sleep(static_cast<DWORD>(round % 5 * 20));
        process->Terminate();
        EXPECT_TRUE(testsupport::WaitUntil([] { return testsupport::CountProcesses(L"ProcessProbe.exe") == 0; }, 3000))
            << "round " << round;
        handles = round == 0 ? testsupport::OpenHandleCount() : handles;
    }
    EXPECT_EQ(handles, testsupport::OpenHandleCount());
    EXPECT_EQ(0, process->terminated.load());
    EXPECT_EQ(102u, observer.States().size());
    EXPECT_TRUE(Alternates(observer.States()));
}

TEST_F(ProcessTest, StartRestartAndDeletionJustAsTheChildEndsByItself) {
    for (int round = 0; round < 6; ++round) {
        RecordingObserver roundObserver;
        logger.Clear();
        process.reset(new CountingProcess());
        process->SetLogger(&logger);
        process->observer = &roundObserver;
        Launch(L"print x");
        Sleep(static_cast<DWORD>(round * 15));
        if (round % 2 == 0) {
            process->Restart();
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

// A logger that never returns once the child writes "block": the worker can only be killed.
class BlockingLogger : public RecordingLogger {
public:
    void Log(const wchar_t* text) override {
        if (wcscmp(text, L"block\r\n") == 0) {  // the child's output, not the debug block
            blocked = true;
            Sleep(INFINITE);
        }
        RecordingLogger::Log(text);
    }
    std::atomic<bool> blocked{false};
};

// Killed in a logger that never returns, or waiting on a read whose cancel was lost (the read must
// complete before its buffer and record go): the run still ends, child, handles and all.
TEST_F(ProcessTest, AKilledWorkerStillLeavesNoChildAndNoHandlesBehind) {
    for (bool inLogger : {true, false}) {
        BlockingLogger blocking;
        process->SetLogger(&blocking);
        process->loseWorkerCancel = !inLogger;
        size_t handlesBefore = testsupport::OpenHandleCount();
        Launch(inLogger ? L"print block sleep 60000" : L"sleep 60000");
        ASSERT_TRUE(
            testsupport::WaitUntil([&] { return process->GetChildProcessId() != 0 && blocking.blocked == inLogger; }));
        if (inLogger) {
            process->Stop();  // a stop without Terminate: the child's tree is still there
        } else {
            process->Terminate();
        }
        std::vector<std::wstring> calls = blocking.Calls();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(Footer(), calls[calls.size() - 2]);
        EXPECT_NE(std::wstring::npos, calls.back().find(L", stopped\r\n")) << calls.back();
        EXPECT_TRUE(inLogger || (process->lostRead && HasOverlappedIoCompleted(process->lostRead)));
        EXPECT_EQ(inLogger ? 1 : 2, process->terminated.load());
        EXPECT_EQ(handlesBefore, testsupport::OpenHandleCount())
            << "the killed worker's handles, read event, pipe, job";
        EXPECT_EQ(0u, process->GetChildProcessId());
        EXPECT_EQ(0, testsupport::CountProcesses(L"ProcessProbe.exe"));
    }
    EXPECT_EQ((std::vector<bool>{true, false, true, false}), observer.States());
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
    EXPECT_EQ(0, testsupport::CountProcesses(L"ProcessProbe.exe"));
    EXPECT_NE(std::wstring::npos, logger.Text().find(L", stopped\r\n"));
}

// A descendant that floods the pipe after the child has gone: a stop is still seen between reads,
// and without a job the run still ends with its child (the orphan then loses its pipe and ends).
TEST_F(ProcessTest, AFloodingDescendantNeitherHidesAStopNorKeepsARunWithoutJobGoing) {
    const wchar_t* flood = L"launch \"burst 2000000000 4096\" exit 0";
    Launch(flood);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return logger.Calls().size() > 100; }));
    EXPECT_TRUE(process->IsRunning());
    process->Terminate();
    EXPECT_EQ(0, process->terminated.load());
    EXPECT_EQ(0, testsupport::CountProcesses(L"ProcessProbe.exe"));
    process->withoutJob = true;
    logger.Clear();
    Launch(flood);
    EXPECT_TRUE(logger.WaitForCall(Footer()));
    EXPECT_TRUE(testsupport::WaitUntil([] { return testsupport::CountProcesses(L"ProcessProbe.exe") == 0; }));
}

// Tarnwick killed from the task manager: the system ends every run's processes.
TEST(ProcessJob, NothingOfThreeRunsSurvivesTheirHostBeingKilled) {
    testsupport::ChildRun host(L"\"" + testsupport::HelperPath(L"JobHost.exe") + L"\"");
    ASSERT_TRUE(host.Started());
    ASSERT_TRUE(testsupport::WaitUntil([] { return testsupport::CountProcesses(L"ProcessProbe.exe") == 6; }));
    TerminateProcess(host.ProcessHandle(), 9);
    EXPECT_TRUE(testsupport::WaitUntil([] { return testsupport::CountProcesses(L"ProcessProbe.exe") == 0; }, 5000));
}

// Stop's clock, moved on by a second at every look: the worker's 10 s bracket passes at once.
ULONGLONG WINAPI RushingClock() {
    static std::atomic<ULONGLONG> now{0};
    return now += 1000;
}

// Without a job (the run says so, once) Stop walks the tree; a walk that fails (Terminate then
// says why) or that outlasts the worker's bracket (the worker is killed in it, which must leave the
// child's lock free) still ends the run, child and all.
TEST_F(ProcessTest, WithoutAJobAStopEndsTheTreeEvenWhenTheWalkFailsOrOutlastsTheWorker) {
    struct Case {
        bool fail;
        bool hang;
        int depth;  // of the probe's tree below the child
    };
    process->withoutJob = true;
    for (const Case& c : {Case{false, false, 2}, Case{true, false, 0}, Case{false, true, 0}}) {
        logger.Clear();
        process->failTreeWalk = c.fail;
        process->hangTreeWalkOnWorker = c.hang;
        Launch((L"spawn " + std::to_wstring(c.depth) + L" 60000").c_str());
        ASSERT_TRUE(testsupport::WaitUntil([&] {
            return process->GetChildProcessId() != 0 && testsupport::CountProcesses(L"ProcessProbe.exe") == c.depth + 1;
        }));
        if (c.hang) {
            Thread::clock = &RushingClock;
            process->Stop();  // without Terminate: the worker ends the tree itself
            Thread::clock = &GetTickCount64;
            EXPECT_EQ(1, process->terminated.load());
        } else {
            EXPECT_EQ(c.fail ? L"no process list" : L"<no exception>",
                      testsupport::ThrownMessage([&] { process->Terminate(); }));
            EXPECT_TRUE(c.fail || testsupport::CountProcesses(L"ProcessProbe.exe") == 0);
        }
        EXPECT_FALSE(process->IsRunning()) << c.depth << c.fail;
        EXPECT_TRUE(testsupport::WaitUntil([] { return testsupport::CountProcesses(L"ProcessProbe.exe") == 0; }));
        std::wstring text = logger.Text();
        const std::wstring said = L"The run could not be put in a job object: Stop ends its process tree instead.\r\n";
        EXPECT_NE(std::wstring::npos, text.find(said));
        EXPECT_EQ(text.find(said), text.rfind(said));
        EXPECT_NE(std::wstring::npos, text.find(L", stopped\r\n")) << c.depth << c.fail;
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
    process->Restart();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return process->GetChildProcessId() != 0; }));
    process->Terminate();
    std::wstring text = logger.Text();
    EXPECT_NE(std::wstring::npos, text.find(L", ended for a restart\r\n"));
    EXPECT_EQ(text.size() - std::wstring(L", stopped\r\n").size(), text.rfind(L", stopped\r\n"));
    EXPECT_EQ(std::wstring::npos, text.find(L"Restart policy"));
    EXPECT_FALSE(process->EndedByItself());
}

TEST_F(ProcessTest, ARestartWaitsBacksOffAndEndsWithAStopThatCancelsTheWait) {
    process->SetRestartPolicy(RestartPolicy::Mode::OnFailure);
    Launch(L"exit 3");
    ASSERT_TRUE(logger.WaitForCall(Footer(), 2));
    const wchar_t* second = L"Restart policy \"on-failure\" after exit code 3: starting again in 2 s, at ";
    ASSERT_TRUE(testsupport::WaitUntil([&] { return logger.Text().find(second) != std::wstring::npos; }));
    EXPECT_NE(std::wstring::npos,
              logger.Text().find(L"Restart policy \"on-failure\" after exit code 3: starting again in 1 s, at "));
    EXPECT_TRUE(process->IsRunning());  // the worker waits: the run goes on
    ULONGLONG before = GetTickCount64();
    process->Terminate();
    EXPECT_LT(GetTickCount64() - before, 1000u);
    EXPECT_EQ(std::wstring::npos, logger.Text().find(L", stopped\r\n"));  // no child was running
    // A policy chosen during the wait that no longer restarts ends the run, and says so.
    Launch(L"exit 3");
    ASSERT_TRUE(logger.WaitForCall(Footer(), 3));
    process->SetRestartPolicy(RestartPolicy::Mode::Never);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !process->IsRunning(); }));
    EXPECT_EQ(L"Restart policy \"never\" now: not starting again.\r\n", logger.Calls().back());
    EXPECT_EQ((std::vector<bool>{true, false, true, false}), observer.States());
}

}  // namespace
