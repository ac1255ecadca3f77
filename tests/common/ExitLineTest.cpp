#include "common/ExitLine.h"

#include <gtest/gtest.h>

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

}  // namespace
