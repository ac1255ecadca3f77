// The frame and its process windows in this test program, on probe children, pumped by the
// program's own message loop. The user's part (file dialogs, message boxes) is played by a thread.
#include "app/MainWindow.h"

#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <thread>

#include "FrameFixture.h"
#include "app/App.h"
#include "app/ProcessInfo.h"
#include "common/Process.h"
#include "support/MessageBoxWatcher.h"
#include "support/SavedRegistryValue.h"
#include "util/Exception.h"

namespace {

using apptest::ProbeEntry;
using apptest::Runs;
using testsupport::MessageBoxWatcher;

const int kSave = 501, kStart = 40002, kRestart = 40003, kStop = 40004, kReload = 40012, kOpen = 40101;
const int kClear = 40201, kLogToScreen = 40202, kShowTimestamps = 40207, kExit = 502;

using apptest::Probes;
using testsupport::TarnwickSession;

// One step of the user: a path typed into a file dialog and confirmed, or a button pressed on a box.
struct Answer {
    int button;
    std::wstring path;
};
const auto Press = [](int button) { return Answer{button, L""}; };
const auto Type = [](const std::wstring& path) { return Answer{IDOK, path}; };

// Answers the next dialogs of this program in order, on a thread of its own; keeps each box's text.
class User {
public:
    explicit User(std::vector<Answer> answers, DWORD waitMs = 20000)
        : worker([this, answers, waitMs] { Play(answers, waitMs); }) {}
    ~User() { Done(); }
    // The texts of the boxes answered, once every answer was given or its wait ran out.
    std::vector<std::wstring> Done() {
        if (worker.joinable()) {
            worker.join();
        }
        return texts;
    }

private:
    void Play(const std::vector<Answer>& answers, DWORD waitMs) {
        for (const Answer& answer : answers) {
            HWND box = nullptr;
            if (!testsupport::WaitUntil(
                    [&] { return (box = MessageBoxWatcher::FindBox(GetCurrentProcessId())) != nullptr; }, waitMs)) {
                return;
            }
            Sleep(300);  // let a file dialog fill its folder view
            if (answer.path.empty()) {
                texts.push_back(MessageBoxWatcher::Read(box).text);
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED), 0);
            } else {
                HWND combo = GetDlgItem(box, cmb13);
                HWND field =
                    GetDlgItem(box, edt1) ? GetDlgItem(box, edt1) : FindWindowExW(combo, nullptr, L"Edit", nullptr);
                SendMessageW(field ? field : combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer.path.c_str()));
                SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            }
            testsupport::WaitUntil([&] { return !IsWindow(box); }, 5000);
        }
    }

    std::vector<std::wstring> texts;
    std::thread worker;
};

class MainWindowTest : public apptest::FrameTest {
protected:
    // Makes window one of the frame's, for the only entry of these configuration bytes.
    void Attach(ProcessWindow* window, const std::string& entries) {
        window->SetFrameWindow(&frame);
        window->Create(frame.GetMDIClient().GetHandle());
        gui::WindowMessageRouter::GetInstance()->Adopt(window);
        std::string text = apptest::Processes(entries);
        ConfigurationFile entry;
        entry.Parse(std::wstring(text.begin(), text.end()).c_str());
        entry.ReadProcesses();
        window->SetProcessInfo(entry.GetProcesses().at(0));
    }
};

// A process window whose runs are processes of a kind of the test's own.
class WindowOf : public ProcessWindow {
public:
    explicit WindowOf(std::function<Process*()> make) : make(std::move(make)) {}

protected:
    Process* MakeProcess(ProcessInfo& newInfo) override {
        Process* made = make();
        made->SetExecutable(newInfo.executable);
        made->SetArguments(newInfo.commandLineArguments);
        return made;
    }

private:
    std::function<Process*()> make;
};

TEST_F(MainWindowTest, SeveralWindowsAreTiledAndReloadAppliesEachEntryByItsRule) {
    const std::string same = ProbeEntry("Same", "ticks 100000 100");
    const std::string twice =
        ProbeEntry("Twice", "print first sleep 60000") + ProbeEntry("Twice", "print second sleep 60000");
    Open(same + ProbeEntry("Gone", "ticks 100000 100") + ProbeEntry("Changed", "spawn 2 60000") +
         ProbeEntry("Later", "print later", "<disabled>true</disabled>") + twice);
    ASSERT_TRUE(WaitForText(L"Twice", L"second"));
    EXPECT_EQ(nullptr, Window(L"Later"));
    std::vector<HWND> children = Children();
    ASSERT_EQ(4u, children.size());
    for (size_t i = 1; i < children.size(); ++i) {
        RECT a, b, overlap;
        GetWindowRect(children[i - 1], &a);
        GetWindowRect(children[i], &b);
        EXPECT_FALSE(IntersectRect(&overlap, &a, &b)) << "several windows are tiled, " << i << " overlaps";
    }
    // Same, Gone, Twice, and Changed's tree of three.
    ASSERT_TRUE(WaitFor([] { return Probes() == 6; })) << Probes();
    const Process* kept = Window(L"Same")->GetProcessInfo()->process;

    Rewrite(same + ProbeEntry("Changed", "print again") + ProbeEntry("Later", "print later") + twice);
    Command(kReload);
    EXPECT_TRUE(WaitForText(L"Later", L"later"));
    EXPECT_TRUE(WaitForText(L"Changed", L"again"));
    // The old run's end is shown, on a line of its own, before the new run's debug block.
    std::wstring changed = Text(L"Changed");
    size_t ended = changed.find(L"\r\nStopped, ran ");
    ASSERT_NE(std::wstring::npos, ended) << "the old run's exit line was lost";
    EXPECT_LT(ended, changed.find(L"again"));
    EXPECT_EQ(changed.find(L"\r\n", ended + 2) + 2, changed.find(L"---- Tarnwick Debug Info ----\r\n", ended));
    EXPECT_TRUE(WaitFor([] { return Probes() == 3; })) << "Changed's old tree still runs: " << Probes();
    EXPECT_EQ(kept, Window(L"Same")->GetProcessInfo()->process);
    EXPECT_EQ(1, Runs(Text(L"Same")));
    EXPECT_EQ(2, Runs(Text(L"Changed")));
    // The later entry of a title wins and is applied once: one run, never the first entry's.
    EXPECT_EQ(1, Runs(Text(L"Twice")));
    EXPECT_EQ(std::wstring::npos, Text(L"Twice").find(L"first"));
    ASSERT_NE(nullptr, Window(L"Gone"));
    EXPECT_TRUE(Window(L"Gone")->IsProcessRunning());
}

TEST_F(MainWindowTest, AConfigurationThatCannotBeLoadedChangesNothingAndOneThatLoadsReplacesEveryWindow) {
    Open(ProbeEntry("Ticker", "ticks 100000 100"));
    ASSERT_TRUE(WaitForText(L"Ticker", L"tick 1"));
    const Process* running = Window(L"Ticker")->GetProcessInfo()->process;
    std::wstring other = dir.Write(L"other.tnkx", apptest::Processes("<process><title>X</title></process>"));
    std::wstring own = path;
    dir.Write(L"t.tnkx", "<processes");
    const struct {
        int command;
        std::vector<Answer> answers;
        std::wstring named;
    } cases[] = {{kReload, {Press(IDNO)}, own}, {kOpen, {Type(other), Press(IDNO)}, other}};
    for (const auto& c : cases) {
        User user(c.answers);
        Command(c.command);
        std::vector<std::wstring> texts = user.Done();
        ASSERT_EQ(1u, texts.size()) << c.command;
        EXPECT_NE(std::wstring::npos, texts[0].find(c.named)) << texts[0];
        EXPECT_EQ(1u, Children().size());
        EXPECT_EQ(running, Window(L"Ticker")->GetProcessInfo()->process);
        EXPECT_TRUE(Window(L"Ticker")->IsProcessRunning());
    }
    // The file that worked is still the one a Reload means.
    Rewrite(ProbeEntry("Ticker", "spawn 1 60000") + ProbeEntry("Added", "print added"));
    Command(kReload);
    EXPECT_TRUE(WaitForText(L"Added", L"added"));
    ASSERT_TRUE(WaitFor([] { return Probes() == 2; }));
    // A file that loads replaces every window. Open is given in a process window, which hands it on
    // to the frame that then disposes of that window.
    dir.Write(L"other.tnkx", apptest::Processes(ProbeEntry("New", "print new")));
    User user({Type(other)});
    SendMessageW(Window(L"Ticker")->GetHandle(), WM_COMMAND, MAKEWPARAM(kOpen, 0), 0);
    user.Done();
    EXPECT_TRUE(WaitForText(L"New", L"new"));
    EXPECT_EQ(nullptr, Window(L"Ticker"));
    EXPECT_TRUE(WaitFor([] { return Probes() == 0; }));
    // From now on a Reload means the chosen file.
    dir.Write(L"other.tnkx", apptest::Processes(ProbeEntry("New", "print new") + ProbeEntry("Newer", "print newer")));
    Command(kReload);
    EXPECT_TRUE(WaitForText(L"Newer", L"newer"));
}

TEST_F(MainWindowTest, StatusAndCommandStatesFollowTheActiveWindow) {
    Open(ProbeEntry("Running", "ticks 100000 100") + ProbeEntry("Idle", "print x", "<start>false</start>") +
         ProbeEntry("Failed", "print x exit 3"));
    EXPECT_TRUE(WaitForText(L"Idle",
                            L"Process automatic startup is disabled in configuration file.\r\n"
                            L"Activate this window and click on Start to launch it.\r\n"));
    const struct {
        const wchar_t* title;
        bool running;
        const wchar_t* status;
    } cases[] = {{L"Idle", false, L"Process \"Idle\" is stopped ..."},
                 {L"Failed", false, L"Process \"Failed\" is stopped ... (exit code 3 (0x00000003), ended by itself)"},
                 {L"Running", true, L"Process \"Running\" is running ..."}};
    for (const auto& c : cases) {
        SendMessageW(frame.GetMDIClient().GetHandle(), WM_MDIACTIVATE,
                     reinterpret_cast<WPARAM>(Window(c.title)->GetHandle()), 0);
        EXPECT_TRUE(WaitFor([&] { return TarnwickSession::Text(frame.GetStatusBar().GetHandle()) == c.status; }, 5000))
            << c.title;
        for (int id : {kStart, kStop, kRestart}) {
            bool enabled = (id == kStart) != c.running;
            EXPECT_EQ(enabled, SendMessageW(frame.GetToolBar().GetHandle(), TB_ISBUTTONENABLED, id, 0) != 0) << id;
            EXPECT_EQ(enabled, (MenuState(id) & MF_GRAYED) == 0) << id;
        }
    }
    // A Start of the running process fails: the failure is shown and the program goes on.
    User user({Press(IDOK)});
    Command(kStart);
    std::vector<std::wstring> texts = user.Done();
    ASSERT_EQ(1u, texts.size());
    EXPECT_NE(std::wstring::npos, texts[0].find(L"already running"));
    EXPECT_TRUE(Window(L"Running")->IsProcessRunning());
    // That a stopped process says "(stopped)" is seen by the end-to-end Stop and Ctrl+O tests.
}

int LastTick(const std::wstring& text) {
    size_t at = text.rfind(L"tick ");
    return at == std::wstring::npos ? 0 : _wtoi(text.c_str() + at + 5);
}

TEST_F(MainWindowTest, OneWindowIsMaximisedClearEmptiesItAndLogToScreenOffDropsOutput) {
    Open(ProbeEntry("Ticker", "ticks 100000 100"));
    EXPECT_TRUE(IsZoomed(Window(L"Ticker")->GetHandle())) << "one window is maximised";
    ASSERT_TRUE(WaitForText(L"Ticker", L"tick 3"));
    Command(kClear);
    EXPECT_EQ(L"", Text(L"Ticker"));
    EXPECT_TRUE(WaitForText(L"Ticker", L"tick"));

    Command(kLogToScreen);
    EXPECT_EQ(0u, MenuState(kLogToScreen) & MF_CHECKED);
    int shown = LastTick(Text(L"Ticker"));
    Pump(1000);
    EXPECT_EQ(shown, LastTick(Text(L"Ticker")));
    Command(kLogToScreen);
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), MenuState(kLogToScreen) & MF_CHECKED);
    EXPECT_TRUE(WaitFor([&] { return LastTick(Text(L"Ticker")) > shown + 5; }));
    EXPECT_EQ(std::wstring::npos, Text(L"Ticker").find(L"tick " + std::to_wstring(shown + 3) + L"\r"));
}

// What a console program writes reaches the window as a console shows it: colour codes become
// styles of the lines, a progress line rewritten with bare CRs stays one line, and UTF-8 and ANSI
// text are both read right. Nothing of the codes is left in the text.
TEST_F(MainWindowTest, ConsoleOutputShowsWithoutCodesInColourAndAsOneProgressLine) {
    // "caf\xc3\xa9 ESC[1;31mred ESC[0m!" CR LF, "10%" CR, "20%" CR, "done" CR LF, "\xe9t\xe9" CR LF,
    // each write read by itself.
    Open(ProbeEntry("Console",
                    "bytes 636166C3A9201B5B313B33316D7265641B5B306D210D0A flush bytes 3130250D flush "
                    "bytes 3230250D flush bytes 646F6E650D0A flush bytes E974E90D0A"));
    ASSERT_TRUE(WaitForText(L"Console", L"Exit code 0"));
    std::wstring text = Text(L"Console");
    EXPECT_NE(std::wstring::npos, text.find(L"\r\ncaf\xe9 red!\r\ndone\r\n\xe9t\xe9\r\n")) << text;
    EXPECT_EQ(std::wstring::npos, text.find(L"%")) << text;
    EXPECT_EQ(std::wstring::npos, text.find(L"\x1b")) << text;
    const util::LineStore& lines = Window(L"Console")->GetOutputView().GetLines();
    bool found = false;
    for (uint64_t n = lines.FirstNumber(); n < lines.EndNumber(); ++n) {
        const util::StoredLine& line = lines.At(n);
        if (line.text == L"caf\xe9 red!") {
            found = true;
            util::TextStyle red = line.StyleAt(5);
            EXPECT_EQ(util::TextStyle::kPalette | 1, red.foreground);
            EXPECT_TRUE(red.Has(util::TextStyle::Bold));
            EXPECT_EQ(util::TextStyle(), line.StyleAt(4));
            EXPECT_EQ(util::TextStyle(), line.StyleAt(8));
        }
    }
    EXPECT_TRUE(found);
}

// A child that ends with a colour still set ("ESC[31mred" CR LF) colours none of the program's own
// lines after it: the debug block's footer and the exit line keep the default colours.
TEST_F(MainWindowTest, TheProgramsOwnLinesKeepTheDefaultColoursAfterAChildLeftAColourSet) {
    Open(ProbeEntry("Red", "bytes 1B5B33316D7265640D0A"));
    ASSERT_TRUE(WaitForText(L"Red", L"Exit code 0"));
    const util::LineStore& lines = Window(L"Red")->GetOutputView().GetLines();
    int red = 0, own = 0;
    for (uint64_t n = lines.FirstNumber(); n < lines.EndNumber(); ++n) {
        const util::StoredLine& line = lines.At(n);
        if (line.text == L"red") {
            ++red;
            EXPECT_EQ(util::TextStyle::kPalette | 1, line.StyleAt(0).foreground);
        } else if (line.text.find(L"Debug Info") != std::wstring::npos || line.text.find(L"Exit code 0") == 0) {
            ++own;
            for (size_t column = 0; column < line.text.size(); ++column) {
                EXPECT_EQ(util::TextStyle(), line.StyleAt(column)) << testing::PrintToString(line.text);
            }
        }
    }
    EXPECT_EQ(1, red);
    EXPECT_EQ(3, own);  // the debug block's head and footer, the exit line
}

TEST_F(MainWindowTest, CloseAsksOnlyWhileTheProcessRuns) {
    Open(ProbeEntry("Running", "ticks 100000 100") + ProbeEntry("Stopped", "print x", "<start>false</start>"));
    ASSERT_TRUE(WaitFor([] { return Probes() == 1; }));
    for (int button : {IDCANCEL, IDOK}) {
        User user({Press(button)});
        SendMessageW(Window(L"Running")->GetHandle(), WM_CLOSE, 0, 0);
        std::vector<std::wstring> texts = user.Done();
        ASSERT_EQ(1u, texts.size());
        EXPECT_EQ(L"Closing this window will terminate Running.\nAre you sure you want to close?", texts[0]);
        // A close does not wait for the run: the window goes once the run has ended.
        EXPECT_TRUE(WaitFor([&] { return (button == IDCANCEL) == (Window(L"Running") != nullptr); }, 5000));
        EXPECT_TRUE(WaitFor([&] { return Probes() == (button == IDCANCEL ? 1 : 0); }, 5000));
    }
    User user({Press(IDCANCEL)}, 1500);
    SendMessageW(Window(L"Stopped")->GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(user.Done().empty());
    EXPECT_TRUE(WaitFor([&] { return Window(L"Stopped") == nullptr; }));
    // With the last window gone no process is named and none of its commands is offered.
    HWND status = frame.GetStatusBar().GetHandle();
    EXPECT_TRUE(WaitFor([&] { return TarnwickSession::Text(status).empty(); }, 5000)) << TarnwickSession::Text(status);
    for (int id : {kStart, kStop, kRestart, kSave, kClear}) {
        EXPECT_FALSE(SendMessageW(frame.GetToolBar().GetHandle(), TB_ISBUTTONENABLED, id, 0)) << id;
        EXPECT_TRUE(MenuState(id) & MF_GRAYED) << id;
    }
    // A closed window's entry gets a new window at the next Reload.
    Command(kReload);
    EXPECT_TRUE(WaitForText(L"Running", L"tick 1"));
    EXPECT_NE(nullptr, Window(L"Stopped"));
    EXPECT_TRUE(WaitFor([&] { return !TarnwickSession::Text(status).empty() && !(MenuState(kSave) & MF_GRAYED); }));
}

// The keys a user presses in an activated process window reach its output view.
TEST_F(MainWindowTest, AProcessWindowThatGetsTheKeyboardHandsItToItsView) {
    Open(ProbeEntry("Idle", "print x", "<start>false</start>"));
    ProcessWindow* window = Window(L"Idle");
    SetFocus(frame.GetHandle());
    SetFocus(window->GetHandle());
    EXPECT_EQ(window->GetOutputView().GetHandle(), GetFocus());
}

// Ctrl+Tab and Ctrl+Shift+Tab go round the windows both ways, Alt+N picks the Nth of the Window
// menu, and each time the keyboard is at once in the output view of the window that is active.
TEST_F(MainWindowTest, WindowKeysCycleAndPickWindowsAndTheKeyboardFollowsToTheView) {
    Open(ProbeEntry("One", "print x", "<start>false</start>") + ProbeEntry("Two", "print x", "<start>false</start>") +
         ProbeEntry("Three", "print x", "<start>false</start>"));
    ShowWindow(frame.GetHandle(), SW_SHOWNORMAL);
    SetForegroundWindow(frame.GetHandle());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == frame.GetHandle(); }, 5000));
    HWND client = frame.GetMDIClient().GetHandle();
    auto active = [&] { return reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)); };
    auto viewHasFocus = [&] {
        auto* window = dynamic_cast<ProcessWindow*>(gui::WindowMessageRouter::GetInstance()->Lookup(active()));
        return window && GetFocus() == window->GetOutputView().GetHandle();
    };
    const std::vector<std::wstring> titles = {L"One", L"Two", L"Three"};
    for (size_t n = titles.size(); n-- > 0;) {
        PressKey(static_cast<WORD>('1' + n), {VK_MENU});
        EXPECT_EQ(Window(titles[n])->GetHandle(), active()) << n;
        EXPECT_TRUE(viewHasFocus()) << n;
    }
    std::vector<HWND> seen;
    for (size_t i = 0; i < titles.size(); ++i) {
        PressKey(VK_TAB, {VK_CONTROL});
        seen.push_back(active());
        EXPECT_TRUE(viewHasFocus()) << i;
    }
    EXPECT_EQ(Window(L"One")->GetHandle(), seen.back());
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen.end(), std::unique(seen.begin(), seen.end()));
    HWND before = active();
    PressKey(VK_TAB, {VK_CONTROL});
    PressKey(VK_TAB, {VK_CONTROL, VK_SHIFT});
    EXPECT_EQ(before, active());
    EXPECT_TRUE(viewHasFocus());
    // A number past the windows there are changes nothing.
    PressKey('9', {VK_MENU});
    EXPECT_EQ(before, active());
}

// Ctrl+F opens the strip with the selected text, Enter, F3 and Shift with them step through the
// matches going round the ends, Escape leaves the last match selected in the view, and F3 goes
// on without the strip.
TEST_F(MainWindowTest, TheFindStripStepsThroughTheMatchesFromTheKeyboard) {
    Open(ProbeEntry("Words", "bytes 61206E6565646C650D0A4E6565646C6520620D0A6E6565646C6573206E6565646C650D0A"));
    ASSERT_TRUE(WaitForText(L"Words", L"Exit code 0"));
    ProcessWindow* window = Window(L"Words");
    OutputView& view = window->GetOutputView();
    FindBar& bar = window->GetFindBar();
    auto selected = [&] {
        std::wstring text = view.GetSelectedText();
        return std::wstring(_wcslwr(&text[0]));
    };
    ShowWindow(frame.GetHandle(), SW_SHOWNORMAL);
    SetForegroundWindow(frame.GetHandle());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == frame.GetHandle(); }, 5000));
    size_t at = view.GetAllText().find(L"Needle");
    SendMessageW(view.GetHandle(), EM_SETSEL, at, at + 6);
    PressKey('F', {VK_CONTROL});
    ASSERT_TRUE(bar.IsOpen());
    HWND field = GetFocus();
    EXPECT_EQ(bar.GetHandle(), GetParent(field));
    EXPECT_EQ(L"Needle", TarnwickSession::Text(field));
    EXPECT_EQ(L"2 of 4", bar.CountText());
    RECT strip = {}, shown = {};
    GetWindowRect(bar.GetHandle(), &strip);
    GetWindowRect(view.GetHandle(), &shown);
    EXPECT_LE(shown.bottom, strip.top) << "the view makes room for the strip";
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"needle"));
    const struct {
        WORD key;
        std::vector<WORD> held;
        const wchar_t* count;
        bool wrapped;
    } steps[] = {{VK_RETURN, {}, L"3 of 4", false},
                 {VK_F3, {}, L"4 of 4", false},
                 {VK_F3, {}, L"1 of 4", true},
                 {VK_RETURN, {VK_SHIFT}, L"4 of 4", true},
                 {VK_F3, {VK_SHIFT}, L"3 of 4", false}};
    for (const auto& step : steps) {
        PressKey(step.key, step.held);
        EXPECT_EQ(step.count, bar.CountText()) << step.count;
        EXPECT_EQ(L"needle", selected()) << step.count;
        HWND note = GetWindow(field, GW_HWNDLAST);
        EXPECT_EQ(step.wrapped, !TarnwickSession::Text(note).empty()) << step.count;
    }
    PressKey(VK_TAB, {});
    EXPECT_EQ(FindWindowExW(bar.GetHandle(), nullptr, L"Button", L"Match case"), GetFocus());
    SendMessageW(FindWindowExW(bar.GetHandle(), nullptr, L"Button", L"Whole word"), BM_CLICK, 0, 0);
    EXPECT_EQ(L" of 3", bar.CountText().substr(1));
    PressKey(VK_RETURN, {});
    EXPECT_EQ(L" of 3", bar.CountText().substr(1)) << "Enter away from the field";
    PressKey(VK_ESCAPE, {});
    EXPECT_FALSE(bar.IsOpen());
    EXPECT_EQ(view.GetHandle(), GetFocus());
    std::wstring before = bar.CountText();
    PressKey(VK_F3, {});
    EXPECT_FALSE(bar.IsOpen());
    EXPECT_NE(before, bar.CountText()) << "the next match is selected";
    EXPECT_EQ(L"needle", selected());
    PressKey('F', {VK_CONTROL});
    SendMessageW(GetFocus(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"absent"));
    EXPECT_EQ(L"No matches", bar.CountText());
    SendMessageW(GetFocus(), EM_SETSEL, 0, -1);
    PressKey('X', {VK_CONTROL});
    EXPECT_EQ(L"", TarnwickSession::Text(GetFocus())) << "Ctrl+X cuts in the field, it does not exit";
}

// Every shortcut that a menu item shows is in the accelerator table, and every one there but the
// numbered window keys is shown by a menu item.
TEST_F(MainWindowTest, TheMenuShowsEveryShortcutThereIsAndNoOther) {
    Open(ProbeEntry("Idle", "print x", "<start>false</start>"));
    HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1000));
    ASSERT_NE(nullptr, table);
    std::vector<ACCEL> keys(CopyAcceleratorTableW(table, nullptr, 0));
    CopyAcceleratorTableW(table, keys.data(), static_cast<int>(keys.size()));
    auto name = [](const ACCEL& key) {
        std::wstring text = std::wstring(key.fVirt & FCONTROL ? L"Ctrl+" : L"") +
                            (key.fVirt & FSHIFT ? L"Shift+" : L"") + (key.fVirt & FALT ? L"Alt+" : L"");
        if (key.key >= VK_F1 && key.key <= VK_F12) {
            return text + L"F" + std::to_wstring(key.key - VK_F1 + 1);
        }
        return text + (key.key == VK_TAB ? std::wstring(L"Tab") : std::wstring(1, static_cast<wchar_t>(key.key)));
    };
    std::map<std::wstring, WORD> shortcuts;
    for (const ACCEL& key : keys) {
        if (!(key.fVirt & FALT)) {
            shortcuts[name(key)] = key.cmd;
        }
    }
    std::map<std::wstring, WORD> shown;
    HMENU bar = GetMenu(frame.GetHandle());
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        HMENU popup = GetSubMenu(bar, i);
        for (int j = 0; popup && j < GetMenuItemCount(popup); ++j) {
            wchar_t text[200] = {};
            GetMenuStringW(popup, j, text, 200, MF_BYPOSITION);
            const wchar_t* tab = wcschr(text, L'\t');
            if (tab && GetMenuItemID(popup, j) < SC_SIZE) {
                shown[tab + 1] = static_cast<WORD>(GetMenuItemID(popup, j));
            }
        }
    }
    EXPECT_EQ(shortcuts, shown);
    EXPECT_EQ(9, std::count_if(keys.begin(), keys.end(), [](const ACCEL& key) { return key.fVirt & FALT; }));
}

TEST_F(MainWindowTest, SaveWritesTheViewAsUtf8AfterAByteOrderMarkAndReportsAFailure) {
    Open(ProbeEntry("Idle", "print x", "<start>false</start>"));
    Command(kClear);
    const struct {
        const wchar_t* output;
        std::string bytes;
    } cases[] = {{L"", "\xEF\xBB\xBF"},
                 {L"Gr\u00FC\u00DFe \u4E16\u754C \U0001F600\r\nnext",
                  "\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F"
                  "e \xE4\xB8\x96\xE7\x95\x8C \xF0\x9F\x98\x80\r\nnext"},
                 // Tabs are saved as tabs, although shown as blanks.
                 {L"\r\na\tbc\t\td\x1b[31m\te",
                  "\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F"
                  "e \xE4\xB8\x96\xE7\x95\x8C \xF0\x9F\x98\x80\r\nnext\r\na\tbc\t\td\te"}};
    int n = 0;
    for (const auto& c : cases) {
        Window(L"Idle")->Log(c.output);
        std::wstring file = dir.File(L"saved" + std::to_wstring(++n) + L".txt");
        User user({Type(file)});
        Command(kSave);
        user.Done();
        EXPECT_EQ(c.bytes, testsupport::ScratchDirectory::Read(file));
    }
    User user({Type(dir.File(L"missing\\saved.txt")), Press(IDOK)});
    Command(kSave);
    std::vector<std::wstring> texts = user.Done();
    ASSERT_EQ(1u, texts.size());
    EXPECT_NE(std::wstring::npos, texts[0].find(L"missing")) << texts[0];
}

// Show timestamps is a window's own: its check mark follows the active window, and Save then
// writes each line, also those from before the toggle, after its time.
TEST_F(MainWindowTest, ShowTimestampsIsPerWindowAndSaveWritesTheTimes) {
    Open(ProbeEntry("One", "print x", "<start>false</start>") + ProbeEntry("Two", "print x", "<start>false</start>"));
    auto activate = [&](const wchar_t* title) {
        SendMessageW(frame.GetMDIClient().GetHandle(), WM_MDIACTIVATE,
                     reinterpret_cast<WPARAM>(Window(title)->GetHandle()), 0);
        Pump(100);
    };
    activate(L"One");
    Command(kClear);
    Window(L"One")->Log(L"early\r\nlater");
    Command(kShowTimestamps);
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), MenuState(kShowTimestamps) & MF_CHECKED);
    activate(L"Two");
    EXPECT_EQ(0u, MenuState(kShowTimestamps) & MF_CHECKED);
    activate(L"One");
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), MenuState(kShowTimestamps) & MF_CHECKED);

    std::wstring file = dir.File(L"timed.txt");
    User user({Type(file)});
    Command(kSave);
    user.Done();
    std::string saved = testsupport::ScratchDirectory::Read(file);
    std::regex timed("\xEF\xBB\xBF\\d\\d:\\d\\d:\\d\\d\\.\\d{3} early\r\n\\d\\d:\\d\\d:\\d\\d\\.\\d{3} later");
    EXPECT_TRUE(std::regex_match(saved, timed)) << saved;
}

TEST_F(MainWindowTest, ScrollbackDropsTheOldestWholeLinesAndKeepsTheNewest) {
    testsupport::SavedRegistryValue limit(L"Software\\Hollbrae\\Tarnwick", L"ScrollbackCharacters");
    limit.Write(L"20000");
    Open(ProbeEntry("Ticks", "ticks 6000 0 sleep 300 print last"));
    // The last line comes on its own, after the flood: the view is down within the limit then.
    ASSERT_TRUE(WaitForText(L"Ticks", L"tick 6000\r\nlast\r\n"));
    std::wstring text = Text(L"Ticks");
    text.resize(text.find(L"last\r\n"));
    // Whole lines from some tick on, every later one, up to the newest: the oldest are gone.
    ASSERT_EQ(0u, text.find(L"tick "));
    int first = LastTick(text.substr(0, 12));
    EXPECT_GT(first, 1000);
    std::wstring expected;
    for (int tick = first; tick <= 6000; ++tick) {
        expected += L"tick " + std::to_wstring(tick) + L"\r\n";
    }
    EXPECT_TRUE(text == expected) << "from tick " << first << ": " << text.size() << " characters";
    // The view counts a line end as one character.
    std::wstring all = Text(L"Ticks");
    EXPECT_LE(all.size() - std::count(all.begin(), all.end(), L'\n'), 20000u);
    // The view follows the output: its last page is in sight, from the start of the lines.
    HWND view = Window(L"Ticks")->GetOutputView().GetHandle();
    LRESULT lines = SendMessageW(view, EM_GETLINECOUNT, 0, 0);
    EXPECT_GT(SendMessageW(view, EM_GETFIRSTVISIBLELINE, 0, 0), lines - 60) << "of " << lines << " lines";
    EXPECT_EQ(0, GetScrollPos(view, SB_HORZ));
    // More at once than the scrollback holds (the tail a Stop reads at once): its newest part is
    // kept, within the limit and one line's bound.
    std::wstring huge = std::wstring(400 * 1024, L'y') + L"END\r\n";
    Window(L"Ticks")->Log(huge.c_str());
    std::wstring kept = Text(L"Ticks");
    EXPECT_GE(kept.size(), 15000u);
    EXPECT_LE(kept.size(), 20000u + 65536u);
    EXPECT_TRUE(huge.compare(huge.size() - kept.size(), kept.size(), kept) == 0) << kept.size();
}

// The view's paints.
struct PaintCount {
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_PAINT) {
            ++paints;
            paintedLength = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
        }
        return CallWindowProcW(original, window, message, wParam, lParam);
    }
    static inline WNDPROC original = nullptr;
    static inline int paints = 0;
    static inline LRESULT paintedLength = 0;  // the text the last paint showed
};

// A paint after every batch would cost a flood as much as its text: the view is painted now and
// then while output flows, and what the flow ended with is painted once it stops.
TEST_F(MainWindowTest, AFloodIsPaintedNowAndThenAndItsEndOnceItStops) {
    Open(ProbeEntry("Flood", "burst 3000000 65536", "<start>false</start>"));
    HWND view = Window(L"Flood")->GetOutputView().GetHandle();
    PaintCount::original =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaintCount::Proc)));
    ULONGLONG start = GetTickCount64();
    Command(kStart);
    ASSERT_TRUE(WaitForText(L"Flood", L"Exit code 0 (0x00000000), "));  // the run's last line
    ULONGLONG flowMs = GetTickCount64() - start;
    Pump(300);
    EXPECT_EQ(SendMessageW(view, WM_GETTEXTLENGTH, 0, 0), PaintCount::paintedLength) << "the end is not painted";
    EXPECT_LE(PaintCount::paints, static_cast<int>(flowMs / 100) + 4) << PaintCount::paints << " paints in " << flowMs;
    SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaintCount::original));
}

// A reader whose run ends while the window has not yet caught up with a flood: the queue is full
// when the run's footer comes.
class BehindAtTheEnd : public ProcessWindow {
public:
    void ThreadStateChanged(bool running) override {
        if (!running && GetWindowThreadProcessId(GetHandle(), nullptr) != GetCurrentThreadId()) {
            Log(std::wstring(300 * 1024, L'x').c_str());
        }
        ProcessWindow::ThreadStateChanged(running);
    }
};

TEST_F(MainWindowTest, RestartAndCloseAfterARunEndedBehindAFloodDoNotHang) {
    Open(ProbeEntry("Idle", "print x", "<start>false</start>"));
    for (bool restart : {true, false}) {
        BehindAtTheEnd* window = new BehindAtTheEnd();
        Attach(window, ProbeEntry("Behind", "print x"));
        HWND handle = window->GetHandle();
        // Without the mend the window thread would wait for the reader for ever: the watchdog lets it go.
        std::atomic<bool> done(false), rescued(false);
        std::thread watchdog([&] {
            for (ULONGLONG end = GetTickCount64() + 10000; !done; Sleep(50)) {
                if (GetTickCount64() >= end) {
                    rescued = true;
                    window->SetLogToScreen(false);  // empties the queue
                }
            }
        });
        for (ULONGLONG end = GetTickCount64() + 10000; window->IsProcessRunning() && GetTickCount64() < end;) {
            Sleep(20);  // the window takes nothing meanwhile
        }
        if (restart) {
            window->ProcessCommand(kRestart);
        } else {
            SendMessageW(handle, WM_CLOSE, 0, 0);
        }
        done = true;
        watchdog.join();
        EXPECT_FALSE(rescued) << restart;
        EXPECT_EQ(restart, IsWindow(handle) != FALSE);
    }
}

// A run that ends slowly once it is over: its last step (the footer and exit line) comes
// finishMs after its end began, as a long step of a worker would.
class SlowEnd : public Process {
public:
    explicit SlowEnd(DWORD finishMs) : finishMs(finishMs) {}
    ~SlowEnd() override { Shutdown(); }
    void OnRunFinished() override {
        Sleep(finishMs);
        Process::OnRunFinished();
    }

private:
    DWORD finishMs;
};

class SlowEndTest : public MainWindowTest {
protected:
    // A window of the frame titled "Slow" whose runs end finishMs late, running the probe's ticks.
    ProcessWindow* AddSlowWindow(DWORD finishMs) {
        Open(ProbeEntry("Idle", "print x", "<start>false</start>"));
        auto* window = new WindowOf([finishMs] { return new SlowEnd(finishMs); });
        Attach(window, ProbeEntry("Slow", "ticks 100000 100"));
        window->SetText(L"Slow");
        SendMessageW(frame.GetMDIClient().GetHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window->GetHandle()),
                     0);
        EXPECT_TRUE(WaitForText(L"Slow", L"tick 1"));
        return window;
    }
    std::wstring Status() { return TarnwickSession::Text(frame.GetStatusBar().GetHandle()); }
    bool Enabled(int id) { return SendMessageW(frame.GetToolBar().GetHandle(), TB_ISBUTTONENABLED, id, 0) != 0; }
};

// Restart returns at once; the old run shows "stopping" until it has ended, and only then does
// the new run start, its debug block after the old run's last line.
TEST_F(SlowEndTest, RestartStartsTheNewRunOnlyOnceTheOldOneHasEnded) {
    ProcessWindow* window = AddSlowWindow(1500);
    ULONGLONG before = GetTickCount64();
    window->ProcessCommand(kRestart);
    EXPECT_LT(GetTickCount64() - before, 300u) << "Restart waited for the run";
    ASSERT_TRUE(WaitFor([&] { return Status() == L"Process \"Slow\" is stopping ..."; }, 1400)) << Status();
    EXPECT_EQ(ProcessWindow::Stopping, window->GetState());
    EXPECT_FALSE(Enabled(kStart));
    EXPECT_TRUE(Enabled(kStop));
    EXPECT_EQ(1, Runs(Text(L"Slow")));
    ASSERT_TRUE(WaitFor([&] { return Runs(Text(L"Slow")) == 2; }, 5000));
    ASSERT_TRUE(WaitFor([&] { return Status() == L"Process \"Slow\" is running ..."; }, 5000)) << Status();
    std::wstring text = Text(L"Slow");
    size_t ended = text.find(L", ended for a restart\r\n");
    ASSERT_NE(std::wstring::npos, ended);
    EXPECT_LT(ended, text.rfind(L"Command line  "));
    window->ProcessCommand(kStop);
    EXPECT_TRUE(WaitFor([&] { return Status() == L"Process \"Slow\" is stopped ... (stopped)"; }, 5000)) << Status();
}

// Closing a window whose run is stopping asks nothing and keeps the window until the run ends.
TEST_F(SlowEndTest, AStoppingWindowClosesOnceItsRunHasEnded) {
    ProcessWindow* window = AddSlowWindow(3000);
    HWND handle = window->GetHandle();
    window->ProcessCommand(kStop);
    User user({Press(IDOK)}, 500);
    SendMessageW(handle, WM_CLOSE, 0, 0);
    EXPECT_TRUE(user.Done().empty()) << "a box asked to close a stopping window";
    Pump(500);
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(handle); }, 5000));
    EXPECT_EQ(0, Probes());
}

// Exit ends every run at once; while one is still ending after 500 ms a small window says so,
// and the program quits once it has ended.
TEST_F(SlowEndTest, ExitShowsTheRunsStillEndingAndQuitsWhenTheLastHasEnded) {
    AddSlowWindow(2000);
    User user({Press(IDOK)});
    Command(kExit);  // returns once the question is answered and every run was asked to end
    ULONGLONG before = GetTickCount64();
    EXPECT_EQ(1u, user.Done().size());
    EXPECT_TRUE(frame.IsExiting());
    std::wstring shown;
    ASSERT_TRUE(
        WaitFor([&] { return (shown = TarnwickSession::Text(frame.GetExitProgress().GetHandle())) != L""; }, 1500));
    EXPECT_EQ(L"Stopping 1 process...", shown);
    EXPECT_GE(GetTickCount64() - before, 400u);
    ASSERT_TRUE(WaitFor([&] { return frame.GetExitProgress().GetHandle() == nullptr; }, 5000));
    EXPECT_EQ(0, frame.CountRunningProcesses()) << "quit before the run ended";
    EXPECT_LT(GetTickCount64() - before, 4000u) << "waited for more than the run";
}

// A restart still waiting for its old run when Exit comes starts nothing, nor does a later Start.
TEST_F(SlowEndTest, ExitCancelsARestartThatWaitsAndRefusesAStart) {
    ProcessWindow* window = AddSlowWindow(1000);
    window->ProcessCommand(kRestart);
    User user({Press(IDOK)});
    Command(kExit);
    user.Done();
    Command(kStart);
    ASSERT_TRUE(WaitFor([&] { return frame.CountRunningProcesses() == 0; }, 5000));
    Pump(500);
    EXPECT_EQ(0, frame.CountRunningProcesses());
    EXPECT_EQ(1, Runs(Text(L"Slow"))) << "a run started during the exit";
}

// A run that has not ended after 5 s does not keep the program: it quits all the same.
TEST_F(SlowEndTest, ExitQuitsAfterFiveSecondsWhateverIsStillEnding) {
    AddSlowWindow(8000);
    User user({Press(IDOK)});
    Command(kExit);
    ULONGLONG before = GetTickCount64();
    user.Done();
    ASSERT_TRUE(WaitFor([&] { return frame.GetExitProgress().GetHandle() != nullptr; }, 1500));
    ASSERT_TRUE(WaitFor([&] { return frame.GetExitProgress().GetHandle() == nullptr; }, 8000));
    EXPECT_GE(GetTickCount64() - before, 4800u);
    EXPECT_LT(GetTickCount64() - before, 6000u);
    EXPECT_EQ(1, frame.CountRunningProcesses());
    frame.DisposeProcessWindows();  // leaves the run behind at once
    EXPECT_LT(GetTickCount64() - before, 6500u);
    ProcessWindow::disposeWaitMs = 5000;
}

// A reader that cannot make its read event: an unexpected failure of the worker after the launch.
class NoReadEvent : public Process {
public:
    ~NoReadEvent() override { Shutdown(); }

protected:
    HANDLE CreateReadEvent() override {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
};

// Records each message box this thread shows, as it is activated, and presses its OK. A box
// shown during a slice of the test's message loop lasts only to the slice's end (the slice's quit
// message ends its loop too): a look from another thread now and then may never see it.
class BoxRecorder {
public:
    BoxRecorder() : hook(SetWindowsHookExW(WH_CBT, &BoxRecorder::Hook, nullptr, GetCurrentThreadId())) {
        current = this;
    }
    ~BoxRecorder() {
        UnhookWindowsHookEx(hook);
        current = nullptr;
    }
    bool Hooked() const { return hook != nullptr; }
    std::vector<std::pair<HWND, std::wstring>> boxes;  // owner and text

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t type[16] = L"";
        if (code == HCBT_ACTIVATE && current && window != current->last && GetClassNameW(window, type, 16) &&
            std::wstring(type) == L"#32770") {
            current->last = window;
            current->boxes.emplace_back(GetWindow(window, GW_OWNER), MessageBoxWatcher::Read(window).text);
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static BoxRecorder* current;
    HHOOK hook;
    HWND last = nullptr;  // activated again before it closes, a box still counts once
};
BoxRecorder* BoxRecorder::current = nullptr;

// Not a box of the worker's own: the window shows it, owned by the frame, once for the run.
TEST_F(MainWindowTest, AWorkersUnexpectedFailureIsShownOnceInABoxOwnedByTheFrame) {
    Open(ProbeEntry("Idle", "print x", "<start>false</start>"));
    auto* window = new WindowOf([] { return new NoReadEvent(); });
    BoxRecorder recorder;
    ASSERT_TRUE(recorder.Hooked());
    Attach(window, ProbeEntry("Failing", "sleep 60000"));
    EXPECT_TRUE(
        WaitFor([&] { return window->GetOutputView().GetAllText().find(L"Stopped, ran ") != std::wstring::npos; }));
    EXPECT_TRUE(WaitFor([&] { return !recorder.boxes.empty(); }, 60000));  // a loaded machine may show it late
    Pump(1000);                                                            // time for a second box, which must not come
    const std::vector<std::pair<HWND, std::wstring>> boxes = recorder.boxes;
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(frame.GetHandle(), boxes[0].first);
    EXPECT_EQ(0u, boxes[0].second.rfind(L"Process::ReadOutput()\n", 0)) << boxes[0].second;
    EXPECT_EQ(0, Probes());
}

// A process whose tree cannot be listed (and that has no job): its Stop throws.
class Unlistable : public Process {
protected:
    bool SetUpJob(HANDLE) override { return false; }
    void EndTree(DWORD) override { throw new Exception(L"no process list"); }
};

// The failure is shown, never thrown out of the window's destructor, and the process still ends.
TEST_F(MainWindowTest, AWindowGoingAwayStopsAProcessWhoseStopFails) {
    Open(ProbeEntry("Idle", "print x", "<start>false</start>"));
    auto* info = new ProcessInfo();
    info->type = ProcessType::Standard;
    info->start = true;
    info->executable = testsupport::HelperPath(L"ProcessProbe.exe").c_str();
    info->commandLineArguments = L"sleep 60000";
    auto* window = new WindowOf([] { return new Unlistable(); });
    window->SetProcessInfo(info);
    ASSERT_TRUE(WaitFor([] { return Probes() == 1; }));
    MessageBoxWatcher box;
    delete window;
    EXPECT_NE(std::wstring::npos, box.Wait().text.find(L"no process list"));
    EXPECT_TRUE(WaitFor([] { return Probes() == 0; }));
}

// The program's start with a quit already queued (an updater launched at start-up posts one).
class ScratchApp : public App {
public:
    ScratchApp(const std::wstring& commandLine, const std::wstring& programFile) {
        CollectStartup(commandLine.c_str(), L"C:\\", programFile.c_str());
    }
};

class AppRun : public ::testing::Test {
protected:
    std::wstring Line(const std::string& entries) {
        std::wstring config = dir.Write(L"a.tnkx", apptest::Processes(entries));
        return L"\"" + testsupport::HelperPath(L"Tarnwick.exe") + L"\" \"" + config + L"\" ignored.tnkx";
    }

    testsupport::SavedRegistryValue extension{L"Software\\Classes\\.tnkx", L""};
    testsupport::SavedRegistryValue command{L"Software\\Classes\\Hollbrae.Tarnwick.1\\shell\\open\\command", L""};
    testsupport::ScratchDirectory dir;
};

// The first argument names the configuration, further ones are ignored; without one the file
// beside the program is loaded.
TEST_F(AppRun, AQuitPostedBeforeTheLoopStillLoadsTheConfigurationAndEndsWithZero) {
    const std::wstring program = L"\"" + dir.File(L"Tarnwick.exe") + L"\"";
    const std::wstring beside = dir.Write(L"Tarnwick.xml", apptest::Processes(ProbeEntry("Beside", "print x")));
    const std::wstring first = dir.Write(L"first.tnkx", apptest::Processes(ProbeEntry("First", "print x")));
    const struct {
        std::wstring arguments;
        const wchar_t* shown;
    } cases[] = {{L"", L"\"Beside\""},
                 {L" \"" + first + L"\"", L"\"First\""},
                 {L" \"" + first + L"\" \"" + beside + L"\"", L"\"First\""}};
    for (const auto& c : cases) {
        ScratchApp app(program + c.arguments, dir.File(L"Tarnwick.exe"));
        PostQuitMessage(0);
        EXPECT_EQ(0, app.Run());
        EXPECT_NE(std::wstring::npos,
                  TarnwickSession::Text(app.GetMainWindow().GetStatusBar().GetHandle()).find(c.shown))
            << c.arguments;
    }
    EXPECT_EQ(program + L" \"%1\"", command.Read()) << "the association is written at start";
}

// A window of the program's thread whose handler fails; the failure ends the message loop.
class FailingWindow : public gui::Window {
public:
    FailingWindow() : Window(L"FailingWindow") { registerClass = true; }
    LRESULT OnMessage(UINT message, WPARAM, LPARAM) override {
        if (message == WM_APP) {
            throw new Exception(L"FailingWindow\nRefused");
        }
        return 0;
    }
};

TEST_F(AppRun, AFailureThatEndsTheLoopTakesTheFrameAndEveryProcessTreeWithIt) {
    ScratchApp app(Line(ProbeEntry("Ticker", "ticks 100000 100")), testsupport::HelperPath(L"Tarnwick.exe"));
    FailingWindow failing;
    failing.Create(nullptr);
    PostMessageW(failing.GetHandle(), WM_APP, 0, 0);
    std::unique_ptr<Exception> thrown;
    try {
        app.Run();
    } catch (Exception* e) {
        thrown.reset(e);
    }
    ASSERT_NE(nullptr, thrown);
    // Nothing may be left to use the configuration Run owned while the failure is shown.
    EXPECT_FALSE(IsWindow(app.GetMainWindow().GetHandle()));
    EXPECT_TRUE(testsupport::WaitUntil([] { return Probes() == 0; }, 3000)) << Probes();
}

}  // namespace
