// Process windows of entries with server settings, in the frame inside this test program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "FrameFixture.h"
#include "app/ProcessInfo.h"

namespace {

using apptest::ProbeEntry;
using apptest::Probes;
using apptest::Runs;

const int kStart = 40002, kReload = 40012;

class ServerWindowTest : public apptest::FrameTest {
protected:
    std::string LogEntry(const std::string& title, const std::string& arguments, const std::string& file) {
        return ProbeEntry(title, arguments, "<log><file>" + file + "</file></log>");
    }
};

TEST_F(ServerWindowTest, AnEntryInErrorShowsWhyAndDoesNotStartWhileTheOthersRun) {
    const std::string good = ProbeEntry("Good", "print hello sleep 60000");
    Open(good + ProbeEntry("Bad", "print never sleep 60000", "<stop><console>ctrl-z</console></stop>") +
         ProbeEntry("Waits", "print never", "<after>Nobody</after>"));
    ASSERT_TRUE(WaitForText(L"Good", L"hello"));
    ASSERT_TRUE(WaitForText(L"Bad", L"The process is not started."));
    EXPECT_NE(std::wstring::npos, Text(L"Bad").find(L"<stop><console>: \"ctrl-z\" is neither ctrl-c nor ctrl-break."));
    EXPECT_NE(std::wstring::npos, Text(L"Waits").find(L"<after> names \"Nobody\", which no entry has as its title."));
    Window(L"Bad")->ProcessCommand(kStart);  // a manual Start is refused as well
    Pump(300);
    EXPECT_FALSE(Window(L"Bad")->IsProcessRunning());
    EXPECT_EQ(0, Runs(Text(L"Bad")));
    EXPECT_EQ(1, Probes());

    // Corrected, the entry starts at the reload; the good one runs on untouched.
    Rewrite(good + ProbeEntry("Bad", "print now sleep 60000", "<stop><console>ctrl-c</console></stop>"));
    Command(kReload);
    EXPECT_TRUE(WaitForText(L"Bad", L"now\r"));
    EXPECT_EQ(1, Runs(Text(L"Good")));
}

TEST_F(ServerWindowTest, TheLogHoldsTheWindowsLinesAndALogChangeAppliesWithoutARestart) {
    const std::string first = apptest::Narrow(dir.File(L"logs\\first.log"));
    const std::string second = apptest::Narrow(dir.File(L"logs\\second.log"));
    const std::string arguments = "print one print two ticks 1000 50";
    Open(LogEntry("Logged", arguments, first));
    ASSERT_TRUE(WaitForText(L"Logged", L"tick 3\r"));
    const Process* running = Window(L"Logged")->GetProcessInfo()->process;
    Rewrite(LogEntry("Logged", arguments, second));
    Command(kReload);
    ASSERT_TRUE(WaitForText(L"Logged", L"tick 10\r"));
    EXPECT_EQ(running, Window(L"Logged")->GetProcessInfo()->process);
    EXPECT_EQ(1, Runs(Text(L"Logged")));
    // Every line of the child in the first file stands in the window too, in the same order.
    const std::string log = testsupport::ScratchDirectory::Read(dir.File(L"logs\\first.log"));
    std::wstring window = Text(L"Logged");
    size_t seen = 0, lines = 0;
    for (size_t at = 0; at < log.size(); at = log.find("\r\n", at) + 2) {
        std::string line = log.substr(at + 24, log.find("\r\n", at) - at - 24);
        if (line.rfind("tick ", 0) == 0 || line == "one" || line == "two") {
            size_t found = window.find(std::wstring(line.begin(), line.end()) + L"\r", seen);
            ASSERT_NE(std::wstring::npos, found) << line;
            seen = found;
            ++lines;
        }
    }
    EXPECT_GE(lines, 5u);
    EXPECT_TRUE(WaitFor([&] {
        return testsupport::ScratchDirectory::Read(dir.File(L"logs\\second.log")).find(" tick ") != std::string::npos;
    }));
}

}  // namespace
