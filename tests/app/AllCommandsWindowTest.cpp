// Start All, Restart All and Stop All of the frame inside this test program, on probe children.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "FrameFixture.h"

namespace {

using apptest::ProbeEntry;

const int kStop = 40004, kStartAll = 40005, kStopAll = 40006, kRestartAll = 40007;

class AllCommandsWindowTest : public apptest::FrameTest {
protected:
    size_t Count(const std::wstring& title, const std::wstring& part) {
        std::wstring text = Text(title);
        size_t count = 0;
        for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) {
            ++count;
        }
        return count;
    }
    bool AllRunning() {
        return Window(L"A")->IsProcessRunning() && Window(L"B")->IsProcessRunning() &&
               Window(L"C")->IsProcessRunning();
    }
    bool NoneRuns() { return Window(L"A")->CountRuns() + Window(L"B")->CountRuns() + Window(L"C")->CountRuns() == 0; }
};

// Each command acts on every window as the window's own command would where it applies, and on
// nothing else: a running window is not started again, a stopped one is started by Restart All.
TEST_F(AllCommandsWindowTest, StartRestartAndStopAllActOnEveryWindowAsItsOwnCommandWould) {
    Open(ProbeEntry("A", "ticks 100000 100") + ProbeEntry("B", "ticks 100000 100") +
         ProbeEntry("C", "ticks 100000 100", "<start>false</start>"));
    ASSERT_TRUE(WaitFor([&] { return Window(L"A") && Window(L"B") && Window(L"C"); }));
    ASSERT_TRUE(WaitFor([&] { return Window(L"A")->IsProcessRunning() && Window(L"B")->IsProcessRunning(); }));
    EXPECT_FALSE(Window(L"C")->IsProcessRunning());

    Command(kStartAll);
    ASSERT_TRUE(WaitFor([&] { return AllRunning(); }));
    Pump(300);
    for (const wchar_t* title : {L"A", L"B", L"C"}) {
        EXPECT_EQ(0u, Count(title, L"Stopped")) << title;  // no run was ended to start it again
    }

    Window(L"C")->ProcessCommand(kStop);
    ASSERT_TRUE(WaitFor([&] { return Window(L"C")->CountRuns() == 0; }));
    Command(kRestartAll);
    ASSERT_TRUE(WaitFor([&] {
        return Count(L"A", L", ended for a restart\r\n") == 1 && Count(L"B", L", ended for a restart\r\n") == 1;
    }));
    ASSERT_TRUE(WaitFor([&] { return AllRunning(); }));
    EXPECT_EQ(0u, Count(L"C", L"ended for a restart"));  // it was stopped: it is started, not restarted
    // A launch stopped before its child exists ends without an exit line (nothing ran): let each
    // second run's child start (its debug block shows) before Stop All.
    ASSERT_TRUE(WaitFor([&] {
        return Count(L"A", L"Launcher name") == 2 && Count(L"B", L"Launcher name") == 2 &&
               Count(L"C", L"Launcher name") == 2;
    }));

    Command(kStopAll);
    ASSERT_TRUE(WaitFor([&] { return NoneRuns(); }));
    // One stop line each; C has the one of its stop by hand before. A run's exit line reaches its
    // window a moment after the run is over, later on a loaded machine.
    auto stopLines = [&](const wchar_t* title) { return Count(title, L"Stopped, ran ") - Count(title, L"restart"); };
    auto wanted = [](const wchar_t* title) { return std::wstring(title) == L"C" ? 2u : 1u; };
    EXPECT_TRUE(WaitFor([&] { return stopLines(L"A") >= 1 && stopLines(L"B") >= 1 && stopLines(L"C") >= 2; }));
    Pump(300);
    for (const wchar_t* title : {L"A", L"B", L"C"}) {
        EXPECT_EQ(wanted(title), stopLines(title)) << title << "\n" << Text(title);
    }

    // With nothing running, Stop All does nothing and Restart All starts every window.
    Command(kStopAll);
    Command(kRestartAll);
    ASSERT_TRUE(WaitFor([&] { return AllRunning(); }));
    EXPECT_EQ(1u, Count(L"A", L", ended for a restart\r\n"));
    Command(kStopAll);
    ASSERT_TRUE(WaitFor([&] { return NoneRuns(); }));
}

}  // namespace
