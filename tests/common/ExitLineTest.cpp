#include "common/ExitLine.h"

#include <gtest/gtest.h>

#include "common/StopLine.h"
#include "common/StopOutput.h"

namespace {

// A stopped run shows no code whatever the stop left; the note has the line's words.
TEST(ExitLine, LinesAndNotesForEveryWayARunEnds) {
    using Reason = ExitLine::Reason;
    struct Case {
        uint32_t code;
        uint64_t ms;
        Reason reason;
        const wchar_t* line;
        const wchar_t* note;
    };
    const Case cases[] = {
        {3, 2549, Reason::ByItself, L"Exit code 3 (0x00000003), ran 0:00:02.5, ended by itself\r\n",
         L"exit code 3 (0x00000003), ended by itself"},
        {0xC0000005u, 61000, Reason::ByItself, L"Exit code 3221225477 (0xC0000005), ran 0:01:01.0, ended by itself\r\n",
         L"exit code 3221225477 (0xC0000005), ended by itself"},
        {1, 3600000, Reason::Stopped, L"Stopped, ran 1:00:00.0\r\n", L"stopped"},
        {0, 100ull * 3600000 + 59999, Reason::Restarted, L"Stopped, ran 100:00:59.9, ended for a restart\r\n",
         L"stopped, ended for a restart"},
        {0, 5, Reason::FailedToStart, L"failed to start: x.exe: not found\r\n", L"failed to start: x.exe: not found"},
        {1, 12500, ExitLine::AfterTimeout(Reason::Stopped), L"Stopped after the timeout, ran 0:00:12.5\r\n",
         L"stopped after the timeout"},
        {1, 100, ExitLine::AfterTimeout(Reason::Restarted),
         L"Stopped after the timeout, ran 0:00:00.1, ended for a restart\r\n",
         L"stopped after the timeout, ended for a restart"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.line, ExitLine::Format(c.code, c.ms, c.reason, L"x.exe: not found"));
        EXPECT_EQ(c.note, ExitLine::Note(c.code, c.reason, L"x.exe: not found"));
    }
}

// The operation's own line goes; the detail and the system's text stay, one ": " apart.
TEST(ExitLine, AFailedLaunchNamesTheProgramAndTheCause) {
    const struct {
        const wchar_t* message;
        const wchar_t* reason;
    } cases[] = {
        {L"Process::ExecuteExternalProcess()\nThe system cannot find the file specified.\r\n",
         L"a.exe: The system cannot find the file specified."},
        {L"Process::ExecuteExternalProcess()\nCreateNamedPipe()\nAccess is denied. \r\n",
         L"a.exe: CreateNamedPipe(): Access is denied."},
        {L"no process list", L"a.exe: no process list"},
        {L"", L"a.exe"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.reason, ExitLine::FailureReason(L"a.exe", c.message)) << c.message;
    }
}

TEST(StopLine, EachStepSaysWhatItDid) {
    EXPECT_EQ(L"Stopping: could not send Ctrl+Break: Access is denied\r\n",
              StopLine::SignalFailed(StopSettings::Console::CtrlBreak, L"Access is denied"));
    EXPECT_EQ(L"Stopping: no window to send WM_CLOSE to\r\n", StopLine::WindowsClosed(0));
    EXPECT_EQ(L"Stopping: sent WM_CLOSE to 3 windows\r\n", StopLine::WindowsClosed(3));
    EXPECT_EQ(L"Stopping: stop command ended with exit code 3221225477\r\n", StopLine::CommandEnded(0xC0000005u));
    EXPECT_EQ(L"Stopping: still running after 10.0 s, ending it\r\n", StopLine::TimedOut(10000));
    EXPECT_EQ(ExitLine::Reason::ByItself, ExitLine::AfterTimeout(ExitLine::Reason::ByItself));
}

// Lines cut anywhere come out whole, each prefixed; an endless line is cut, not held for good.
TEST(StopOutput, PiecesBecomePrefixedLines) {
    StopOutput output;
    std::wstring lines;
    for (const wchar_t* piece : {L"shutting ", L"down\r\n\nla", L"st"}) {
        lines += output.Take(piece) + L"|";
    }
    lines += output.Flush() + L"|";
    lines += output.Flush();
    EXPECT_EQ(L"|[stop] shutting down\r\n[stop] \r\n||[stop] last\r\n|", lines);
    std::wstring endless(StopOutput::MaxLineUnits + 5, L'x');
    EXPECT_EQ(L"[stop] " + endless.substr(0, StopOutput::MaxLineUnits) + L"\r\n", output.Take(endless));
    EXPECT_EQ(L"[stop] xxxxx\r\n", output.Flush());
}

}  // namespace
