// The built program driven from outside, as a user would drive it: its start-up, Exit and the
// keyboard; and the file association it writes at start.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ProbeConfiguration.h"
#include "app/FileAssociation.h"
#include "support/MessageBoxWatcher.h"
#include "support/SavedRegistryValue.h"
#include "support/ScratchDirectory.h"
#include "support/TarnwickSession.h"

namespace {

using apptest::ProbeEntry;
using apptest::Probes;
using apptest::Processes;
using testsupport::MessageBoxWatcher;
using testsupport::SavedRegistryValue;
using testsupport::ScratchDirectory;
using testsupport::TarnwickSession;
using testsupport::WaitUntil;

const int kExit = 502;

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}
// The status of a stopped process, with how its run ended: by the user's stop or by itself.
std::wstring Stopped(const std::wstring& title, const std::wstring& ending = L" (stopped)") {
    return L"Process \"" + title + L"\" is stopped ..." + ending;
}

// Before each call the extension's value is a marker: it changes only when the association is written.
TEST(FileAssociation, WrittenWhenMissingOrDifferentOnly) {
    SavedRegistryValue extension(L"Software\\Classes\\.tnkx", L"");
    SavedRegistryValue command(L"Software\\Classes\\Hollbrae.Tarnwick.1\\shell\\open\\command", L"");
    const std::wstring program = L"C:\\Tools\\Tarnwick.exe";
    const std::wstring wanted = Quoted(program) + L" \"%1\"";
    std::wstring lower = wanted;
    CharLowerW(&lower[0]);
    const struct {
        std::wstring before;
        const wchar_t* extensionAfter;
    } steps[] = {{L"", L"Hollbrae.Tarnwick.1"}, {wanted, L"marker"}, {lower, L"Hollbrae.Tarnwick.1"}};
    for (const auto& s : steps) {
        extension.Write(L"marker");
        if (s.before.empty()) {
            command.Delete();
        } else {
            command.Write(s.before);
        }
        RegisterFileAssociation(program.c_str());
        EXPECT_EQ(wanted, command.Read()) << s.before;
        EXPECT_EQ(s.extensionAfter, extension.Read()) << s.before;
    }
}

// The probes below the session's program, by parent ids: probes of earlier tests that are still
// ending, which a count over the whole test job sees too, are not its own.
std::vector<DWORD> SessionProbes(DWORD root) {
    std::vector<testsupport::ProcessEntry> list = testsupport::ListProcesses();
    std::vector<DWORD> tree{root}, probes;
    for (size_t next = 0; next < tree.size(); ++next) {
        for (const testsupport::ProcessEntry& e : list) {
            if (e.parent == tree[next] && e.id != tree[next] &&
                std::find(tree.begin(), tree.end(), e.id) == tree.end()) {
                tree.push_back(e.id);
                if (lstrcmpiW(e.exe.c_str(), L"ProcessProbe.exe") == 0) {
                    probes.push_back(e.id);
                }
            }
        }
    }
    return probes;
}

bool AllEnded(const std::vector<DWORD>& ids) {
    for (DWORD id : ids) {
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
        bool running = process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
        if (process) {
            CloseHandle(process);
        }
        if (running) {
            return false;
        }
    }
    return true;
}

TEST(AppWindowsEndToEnd, ExitAsksOnceWhileProcessesRunAndOkEndsEveryTree) {
    ScratchDirectory dir;
    std::wstring config =
        dir.Write(L"a.tnkx", Processes(ProbeEntry("Tree 1", "spawn 2 60000") + ProbeEntry("Tree 2", "spawn 2 60000")));
    TarnwickSession session(Quoted(config));
    // Six processes under Wine on a loaded machine may take long to start: the test's time limit
    // is what bounds the wait.
    std::vector<DWORD> probes;
    ASSERT_TRUE(WaitUntil([&] { return (probes = SessionProbes(session.ProcessId())).size() == 6; }, 60000))
        << probes.size() << " of the session's probes, " << Probes() << " in all";
    {
        MessageBoxWatcher box(session.ProcessId(), IDCANCEL);
        session.Command(kExit);
        EXPECT_EQ(L"2 processes are still running.\nExiting will terminate them.\nAre you sure you want to exit?",
                  box.Wait().text);
    }
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), session.WaitForExit(1000));
    EXPECT_FALSE(AllEnded(probes));
    MessageBoxWatcher box(session.ProcessId(), IDOK);
    PostMessageW(session.Frame(), WM_CLOSE, 0, 0);  // the frame's close box asks the same
    EXPECT_TRUE(box.Wait().found);
    EXPECT_EQ(0u, session.WaitForExit());
    EXPECT_TRUE(WaitUntil([&] { return AllEnded(probes); }, 10000));
}

// Ctrl and a key, pressed on the keyboard of the display: the key state is real, as a translation
// of accelerators needs it.
void PressControlWith(WORD key) {
    const WORD keys[4] = {VK_CONTROL, key, key, VK_CONTROL};
    INPUT inputs[4] = {};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, inputs, sizeof(INPUT));
}

void ClickAt(POINT point) {
    SetCursorPos(point.x, point.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// Brings a window in front, where the keyboard and mouse of the display reach it.
bool BringToFront(HWND window) {
    SetForegroundWindow(window);
    bool front = WaitUntil([&] { return GetForegroundWindow() == window; }, 5000);
    Sleep(200);
    return front;
}

// A click on the toolbar's Stop button (the second) is input, which waits while posted messages
// are pending: the window must not keep its queue full of output notes during a flood.
TEST(AppWindowsEndToEnd, TheStopButtonStopsAFloodPromptly) {
    ScratchDirectory dir;
    std::wstring config = dir.Write(L"a.tnkx", Processes(ProbeEntry("Flood", "burst 2000000000 65536")));
    TarnwickSession session(Quoted(config));
    ASSERT_TRUE(WaitUntil([&] { return session.ViewText(L"Flood").size() > 100000; }, 20000));
    ASSERT_TRUE(BringToFront(session.Frame()));
    LRESULT size = SendMessageW(session.ToolBar(), TB_GETBUTTONSIZE, 0, 0);
    POINT stop = {LOWORD(size) * 3 / 2, HIWORD(size) / 2};
    ClientToScreen(session.ToolBar(), &stop);
    ClickAt(stop);
    // Measured under Wine: under a second; about a minute while every batch posted a note.
    EXPECT_TRUE(session.WaitForStatus(Stopped(L"Flood"), 3000));
}

// The frame's keys work wherever the focus is inside the frame, and nowhere else.
TEST(AppWindowsEndToEnd, AcceleratorsWorkWithTheFocusInTheOutputViewAndNotInTheSettingsWindowOrABox) {
    ScratchDirectory dir;
    std::wstring config = dir.Write(L"a.tnkx", Processes(ProbeEntry("Ticker", "ticks 100000 100")));
    TarnwickSession session(Quoted(config));
    ASSERT_TRUE(session.WaitForOutput(L"Ticker", L"tick 1"));
    HWND view = TarnwickSession::ViewOf(session.Child(L"Ticker"));
    ASSERT_TRUE(BringToFront(session.Frame()));
    RECT area = {};
    GetWindowRect(view, &area);
    ClickAt({(area.left + area.right) / 2, (area.top + area.bottom) / 2});
    GUITHREADINFO focus = {};
    focus.cbSize = sizeof(focus);
    ASSERT_TRUE(WaitUntil(
        [&] { return GetGUIThreadInfo(GetWindowThreadProcessId(view, nullptr), &focus) && focus.hwndFocus == view; },
        5000));
    const std::wstring running = L"Process \"Ticker\" is running ...";
    PressControlWith('O');
    EXPECT_TRUE(session.WaitForStatus(Stopped(L"Ticker"))) << "Ctrl+O stops";
    PressControlWith('S');
    EXPECT_TRUE(session.WaitForStatus(running)) << "Ctrl+S starts";
    // A restart before the child exists would stop a run that never showed its block.
    EXPECT_TRUE(WaitUntil([&] { return apptest::Runs(session.ViewText(L"Ticker")) == 2; }, 10000)) << "Ctrl+S";
    PressControlWith('R');
    EXPECT_TRUE(WaitUntil([&] { return apptest::Runs(session.ViewText(L"Ticker")) == 3; }, 10000)) << "Ctrl+R";
    PressControlWith('L');
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = MessageBoxWatcher::FindBox(session.ProcessId())) != nullptr; }, 5000))
        << "Ctrl+L opens the save dialog";
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));

    session.Command(40013);  // Tools > Settings
    HWND settings = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (settings = FindWindowW(L"SettingsWindow", nullptr)) && IsWindowVisible(settings); }, 5000));
    ASSERT_TRUE(BringToFront(settings));
    PressControlWith('O');
    PressControlWith('X');
    Sleep(500);
    EXPECT_EQ(running, TarnwickSession::Text(session.StatusBar())) << "Ctrl+O in the settings window";
    EXPECT_EQ(nullptr, MessageBoxWatcher::FindBox(session.ProcessId())) << "Ctrl+X in the settings window";
    PostMessageW(settings, WM_CLOSE, 0, 0);
    ASSERT_TRUE(BringToFront(session.Frame()));

    PressControlWith('X');
    HWND question = nullptr;
    ASSERT_TRUE(
        WaitUntil([&] { return (question = MessageBoxWatcher::FindBox(session.ProcessId())) != nullptr; }, 5000))
        << "Ctrl+X asks, a process runs";
    PressControlWith('O');
    Sleep(500);
    EXPECT_EQ(running, TarnwickSession::Text(session.StatusBar())) << "Ctrl+O in the question box";
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), session.WaitForExit(0));
    PostMessageW(question, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0u, session.WaitForExit());
}

}  // namespace
