// Entries that start after others, in the frame inside this test program.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "FrameFixture.h"
#include "app/ProcessInfo.h"

namespace {

using apptest::ProbeEntry;
using apptest::Probes;
using apptest::Runs;
using testsupport::TarnwickSession;

const int kStart = 40002, kStop = 40004, kReload = 40012;

std::string After(const std::string& title, const std::string& ready = "") {
    return "<after>" + title + "</after>" + (ready.empty() ? "" : "<ready>" + ready + "</ready>");
}

class StartOrderWindowTest : public apptest::FrameTest {
protected:
    void Activate(const std::wstring& title) {
        SendMessageW(frame.GetMDIClient().GetHandle(), WM_MDIACTIVATE,
                     reinterpret_cast<WPARAM>(Window(title)->GetHandle()), 0);
    }
    std::wstring Status() { return TarnwickSession::Text(frame.GetStatusBar().GetHandle()); }
    // The window's wait line: "Waiting for "<title>" since hh:mm:ss", the time checked for its form.
    std::wstring WaitLine(const std::wstring& title, const std::wstring& predecessor) {
        std::wstring text = Text(title);
        std::wstring head = L"Waiting for \"" + predecessor + L"\" since ";
        size_t at = text.find(head);
        if (at == std::wstring::npos || text.size() < at + head.size() + 8) {
            return L"";
        }
        std::wstring line = text.substr(at, head.size() + 8);
        for (size_t k = head.size(); k < line.size(); ++k) {
            bool colon = k == head.size() + 2 || k == head.size() + 5;
            EXPECT_TRUE(colon ? line[k] == L':' : std::iswdigit(line[k]) != 0) << line;
        }
        return line;
    }
};

TEST_F(StartOrderWindowTest, AnEntryWaitsForTheReadyLineOfItsPredecessorAndRunsOnWhenThatOneStops) {
    // The ready text stands in the first entry's command line too: only its output counts.
    Open(ProbeEntry("Db", "sleep 1500 print ready sleep 60000") +
         ProbeEntry("Web", "print web sleep 60000", After("Db", "ready")));
    std::wstring line = WaitLine(L"Web", L"Db");
    ASSERT_FALSE(line.empty()) << Text(L"Web");
    EXPECT_EQ(ProcessWindow::Waiting, Window(L"Web")->GetState());
    Activate(L"Web");
    EXPECT_TRUE(WaitFor([&] { return Status() == line; }, 5000)) << Status();
    EXPECT_EQ(1, frame.CountRunningProcesses());  // a wait is no run

    ASSERT_TRUE(WaitForText(L"Web", L"web\r"));
    EXPECT_NE(std::wstring::npos, Text(L"Db").find(L"ready\r"));
    Window(L"Db")->ProcessCommand(kStop);
    EXPECT_TRUE(WaitFor([&] { return !Window(L"Db")->IsProcessRunning(); }));
    Pump(300);
    EXPECT_TRUE(Window(L"Web")->IsProcessRunning());
    EXPECT_EQ(1, Runs(Text(L"Web")));
}

TEST_F(StartOrderWindowTest, AOneShotStepStartsTheNextByEndingWellAndAStartByHandNeverWaits) {
    const std::string steps = ProbeEntry("Setup", "sleep 300 exit 0") + ProbeEntry("Broken", "exit 3") +
                              ProbeEntry("App", "print app sleep 60000", After("Setup", "never printed"));
    Open(steps + ProbeEntry("Manual", "print manual sleep 60000", After("Broken", "up")) +
         ProbeEntry("Cancelled", "print no", After("Broken", "up")));
    ASSERT_TRUE(WaitForText(L"App", L"app\r"));
    EXPECT_FALSE(WaitLine(L"App", L"Setup").empty());
    Pump(300);
    EXPECT_EQ(ProcessWindow::Waiting, Window(L"Manual")->GetState()) << "a failed run is ready for nobody";
    Window(L"Manual")->ProcessCommand(kStart);
    EXPECT_TRUE(WaitForText(L"Manual", L"manual\r"));
    Window(L"Cancelled")->ProcessCommand(kStop);
    EXPECT_TRUE(WaitForText(L"Cancelled", L"Stopped waiting.\r\n"));
    EXPECT_EQ(ProcessWindow::Stopped, Window(L"Cancelled")->GetState());

    // The set-up step stays ready after its run: an entry added later starts at once. A change of
    // the start order alone keeps the running process.
    const Process* app = Window(L"App")->GetProcessInfo()->process;
    Rewrite(steps + ProbeEntry("Manual", "print manual sleep 60000", After("Setup")) +
            ProbeEntry("Late", "print late sleep 60000", After("Setup", "x")));
    Command(kReload);
    EXPECT_TRUE(WaitForText(L"Late", L"late\r"));
    EXPECT_EQ(app, Window(L"App")->GetProcessInfo()->process);
    EXPECT_EQ(1, Runs(Text(L"Manual")));
    frame.DisposeProcessWindows();
    EXPECT_TRUE(WaitFor([] { return Probes() == 0; }));
}

}  // namespace
