// Process windows and the frame with runs that have stop steps, in the frame inside this test
// program: closing, Exit and the end of the session.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "FrameFixture.h"
#include "support/MessageBoxWatcher.h"

namespace {

using apptest::ProbeEntry;
using testsupport::MessageBoxWatcher;

const int kStart = 40002, kStop = 40004, kExit = 502;

SIZE_T WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

class GracefulWindowTest : public apptest::FrameTest {
protected:
    // An entry whose child waits for an event that its stop program sets.
    std::string Asked(const std::string& title) {
        std::string event = "TarnwickWindowStop" + std::to_string(GetCurrentProcessId()) + title;
        return ProbeEntry(title, "print started waitevent " + event + " print ending",
                          "<stop><executable>" + apptest::Narrow(testsupport::HelperPath(L"ProcessProbe.exe")) +
                              "</executable><commandLineArguments>print asking setevent " + event +
                              "</commandLineArguments></stop>");
    }
    // An entry whose child ignores its stop step until the timeout.
    std::string Deaf(const std::string& title, int timeoutMs) {
        return ProbeEntry(title, "print started sleep 60000",
                          "<stop><window>true</window><timeout>" + std::to_string(timeoutMs) + "</timeout></stop>");
    }
    // Presses OK in the next box of this program, on a thread of its own.
    std::thread PressOk() {
        return std::thread([] {
            HWND box = nullptr;
            if (testsupport::WaitUntil([&] { return (box = MessageBoxWatcher::FindBox(GetCurrentProcessId())) != nullptr; }, 20000)) {
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
        });
    }
    // The run's last lines have reached the window.
    bool Ended(const std::wstring& title, const std::wstring& line) { return WaitForText(title, line); }
};

// A closed window stays while its run is asked to end; a second close ends the run at once.
TEST_F(GracefulWindowTest, AClosedWindowWaitsForTheStopAndASecondCloseEndsItAtOnce) {
    Open(Deaf("Deaf", 60000));
    ASSERT_TRUE(WaitForText(L"Deaf", L"started"));
    HWND handle = Window(L"Deaf")->GetHandle();
    std::thread user = PressOk();
    SendMessageW(handle, WM_CLOSE, 0, 0);
    user.join();
    ASSERT_TRUE(WaitForText(L"Deaf", L"Stopping: no window to send WM_CLOSE to"));
    // The window shows the run as stopping only a while after the stop was asked for; on a
    // loaded machine that while can come late, but the window must still be there then.
    EXPECT_TRUE(WaitFor(
        [&] { return !IsWindow(handle) || Window(L"Deaf")->GetState() == ProcessWindow::Stopping; }, 10000));
    ASSERT_TRUE(IsWindow(handle)) << "closed before the stop's timeout";
    SendMessageW(handle, WM_CLOSE, 0, 0);
    // Far less than the stop's minute, with room for a loaded machine to end the child.
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(handle); }, 20000));
    EXPECT_EQ(0, apptest::Probes());
}

// A stop program that floods its window is held back, as the run itself would be, while the
// window takes none of its output; a second stop ends it at once.
TEST_F(GracefulWindowTest, AFloodingStopProgramIsHeldBackByItsWindow) {
    Open(ProbeEntry("Flood", "print started sleep 60000",
                    "<stop><executable>" + apptest::Narrow(testsupport::HelperPath(L"ProcessProbe.exe")) +
                        "</executable><commandLineArguments>burst 400000000 65536</commandLineArguments>"
                        "<timeout>60000</timeout></stop>"));
    ASSERT_TRUE(WaitForText(L"Flood", L"started"));
    SIZE_T before = WorkingSet();
    Window(L"Flood")->ProcessCommand(kStop);
    Sleep(4000);  // the window's thread takes nothing meanwhile
    SIZE_T grown = WorkingSet() - before;
    EXPECT_LT(grown, SIZE_T(24) << 20) << "grew by " << (grown >> 20) << " MB";
    Window(L"Flood")->ProcessCommand(kStop);
    EXPECT_TRUE(Ended(L"Flood", L"Stopped, ran ")) << Text(L"Flood").substr(0, 2000);
    EXPECT_EQ(0, apptest::Probes());
}

// Exit waits for a run past its usual 5 s while the run's stop timeout lasts longer.
TEST_F(GracefulWindowTest, ExitWaitsForTheStopsOfItsRuns) {
    Open(Asked("Asked") + Deaf("Deaf", 5600));
    ASSERT_TRUE(WaitForText(L"Asked", L"started") && WaitForText(L"Deaf", L"started"));
    std::thread user = PressOk();
    ULONGLONG before = GetTickCount64();
    Command(kExit);
    user.join();
    ASSERT_TRUE(WaitFor([&] { return frame.GetExitProgress().GetHandle() != nullptr; }, 1500));
    ASSERT_TRUE(WaitFor([&] { return frame.GetExitProgress().GetHandle() == nullptr; }, 10000));
    EXPECT_EQ(0, frame.CountRunningProcesses()) << "quit before the stop's timeout";
    EXPECT_GE(GetTickCount64() - before, 5600u);
    // The stop program ends while its run writes its last line: only its own output is sure to
    // come before its exit line.
    ASSERT_TRUE(Ended(L"Asked", L"Stopping: stop command ended with exit code 0") && WaitForText(L"Asked", L"\nending\r\n"))
        << Text(L"Asked");
    std::wstring asked = Text(L"Asked");
    EXPECT_LT(asked.find(L"[stop] asking\r\n"), asked.find(L"Stopping: stop command ended")) << asked;
    EXPECT_TRUE(Ended(L"Deaf", L"Stopped after the timeout, ran ")) << Text(L"Deaf");
}

// Exit once more while the runs are asked to end ends them at once, whatever their timeout.
TEST_F(GracefulWindowTest, ExitAgainEndsTheStopsAtOnce) {
    Open(Deaf("Deaf", 60000) + Deaf("Deafer", 120000));
    ASSERT_TRUE(WaitForText(L"Deaf", L"started") && WaitForText(L"Deafer", L"started"));
    std::thread user = PressOk();
    Command(kExit);
    user.join();
    ASSERT_TRUE(WaitForText(L"Deafer", L"Stopping: no window to send WM_CLOSE to"));
    ULONGLONG again = GetTickCount64();
    Command(kExit);
    EXPECT_TRUE(WaitFor([&] { return frame.CountRunningProcesses() == 0; }, 5000));
    EXPECT_LT(GetTickCount64() - again, 5000u);
    EXPECT_TRUE(Ended(L"Deaf", L"Stopped, ran ") && Ended(L"Deafer", L"Stopped, ran ")) << Text(L"Deafer");
    EXPECT_EQ(0, apptest::Probes());
}

// The query asks the runs to end and agrees at once; a session end that is called off leaves
// the program running, one that comes waits for the stops and quits.
TEST_F(GracefulWindowTest, TheEndOfTheSessionStopsTheRunsGracefully) {
    Open(Asked("Asked") + Deaf("Deaf", 1500));
    ASSERT_TRUE(WaitForText(L"Asked", L"started") && WaitForText(L"Deaf", L"started"));
    ULONGLONG before = GetTickCount64();
    EXPECT_EQ(TRUE, SendMessageW(frame.GetHandle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    EXPECT_LT(GetTickCount64() - before, 1000u);
    EXPECT_TRUE(frame.IsExiting());
    EXPECT_TRUE(Ended(L"Asked", L"Stopped, ran ")) << Text(L"Asked");
    SendMessageW(frame.GetHandle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(frame.IsExiting());
    Window(L"Asked")->ProcessCommand(kStart);
    ASSERT_TRUE(WaitFor([&] { return apptest::Runs(Text(L"Asked")) == 2 && Text(L"Asked").rfind(L"started") > 0; }));
    ASSERT_TRUE(Ended(L"Deaf", L"Stopped after the timeout, ran ")) << Text(L"Deaf");

    Window(L"Deaf")->ProcessCommand(kStart);
    ASSERT_TRUE(WaitFor([&] { return apptest::Runs(Text(L"Deaf")) == 2 && frame.CountRunningProcesses() == 2; }));
    Pump(300);
    before = GetTickCount64();
    EXPECT_EQ(TRUE, SendMessageW(frame.GetHandle(), WM_QUERYENDSESSION, 0, 0));
    SendMessageW(frame.GetHandle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_GE(GetTickCount64() - before, 1400u);
    EXPECT_LT(GetTickCount64() - before, 5000u);
    EXPECT_EQ(0, frame.CountRunningProcesses());
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
