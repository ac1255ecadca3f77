// The frame's icon in the notification area, in the frame inside this test program; the shell's
// side is recorded in place of Shell_NotifyIconW.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FrameFixture.h"
#include "app/FrameTray.h"
#include "support/SavedRegistryValue.h"

namespace {

using apptest::ProbeEntry;

const int kMinimizeToTray = 40208;

struct ShellCall {
    DWORD action;
    UINT flags;
    std::wstring tip;
    std::wstring info;
};
std::vector<ShellCall> calls;
bool refuseAdd = false;

BOOL WINAPI RecordShell(DWORD action, PNOTIFYICONDATAW data) {
    calls.push_back({action, data->uFlags, data->szTip, data->uFlags & NIF_INFO ? data->szInfo : L""});
    return action == NIM_ADD && refuseAdd ? FALSE : TRUE;
}

class TrayWindowTest : public apptest::FrameTest {
protected:
    TrayWindowTest() : setting(L"Software\\Hollbrae\\Tarnwick", L"MinimizeToTray") {
        calls.clear();
        FrameTray::shell = &RecordShell;
    }
    ~TrayWindowTest() override { FrameTray::shell = saved; }
    size_t CountOf(DWORD action) {
        size_t count = 0;
        for (const ShellCall& call : calls) {
            count += call.action == action ? 1 : 0;
        }
        return count;
    }
    bool Checked() { return (MenuState(kMinimizeToTray) & MF_CHECKED) != 0; }

    testsupport::SavedRegistryValue setting;
    FrameTray::Shell saved = FrameTray::shell;
};

// Off, a minimised frame stays on the taskbar; on (remembered), it goes to the tray with a tooltip
// that counts the runs, comes back on a click, tells a failure from there and survives a new shell.
TEST_F(TrayWindowTest, MinimisingGoesToTheTrayOnlyWithTheOptionAndAClickBringsTheFrameBack) {
    Open(ProbeEntry("Running", "ticks 100000 100") + ProbeEntry("Idle", "print x", "<start>false</start>") +
         ProbeEntry("Crashy", "waitevent TarnwickTrayGo" + std::to_string(GetCurrentProcessId()) + " exit 3"));
    ASSERT_TRUE(WaitFor([&] { return Window(L"Running") && Window(L"Running")->IsProcessRunning(); }));
    if (Checked()) {
        Command(kMinimizeToTray);  // left on by an earlier run: start from off
    }
    ShowWindow(frame.GetHandle(), SW_MINIMIZE);
    Pump(200);
    EXPECT_EQ(0u, CountOf(NIM_ADD));
    EXPECT_TRUE(IsWindowVisible(frame.GetHandle()));
    ShowWindow(frame.GetHandle(), SW_RESTORE);

    Command(kMinimizeToTray);
    EXPECT_TRUE(Checked());
    EXPECT_EQ(L"1", setting.Read());
    ShowWindow(frame.GetHandle(), SW_MINIMIZE);
    Pump(200);
    ASSERT_EQ(1u, CountOf(NIM_ADD));
    EXPECT_EQ(L"Tarnwick: 2 of 3 processes running", calls.back().tip);
    EXPECT_FALSE(IsWindowVisible(frame.GetHandle()));

    // A failure while in the tray is told from the icon; a new shell gets the icon again.
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE,
                             (L"TarnwickTrayGo" + std::to_wstring(GetCurrentProcessId())).c_str());
    SetEvent(go);
    ASSERT_TRUE(WaitFor([&] {
        for (const ShellCall& call : calls) {
            if (call.info == L"Crashy: exit code 3 (0x00000003), ended by itself") {
                return true;
            }
        }
        return false;
    }));
    CloseHandle(go);
    SendMessageW(frame.GetHandle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(2u, CountOf(NIM_ADD));

    SendMessageW(frame.GetHandle(), FrameTray::callbackMessage, 1, WM_LBUTTONUP);
    Pump(200);
    EXPECT_TRUE(IsWindowVisible(frame.GetHandle()));
    EXPECT_FALSE(IsIconic(frame.GetHandle()));
    EXPECT_EQ(1u, CountOf(NIM_DELETE));

    // A new shell that refuses the icon gives the frame back rather than leave it hidden.
    ShowWindow(frame.GetHandle(), SW_MINIMIZE);
    Pump(200);
    ASSERT_FALSE(IsWindowVisible(frame.GetHandle()));
    refuseAdd = true;
    SendMessageW(frame.GetHandle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    refuseAdd = false;
    Pump(200);
    EXPECT_TRUE(IsWindowVisible(frame.GetHandle()));
    Command(kMinimizeToTray);
    EXPECT_EQ(L"0", setting.Read());
}

// The icon's menu: Show Tarnwick, one submenu per process (its title shown as it is), Start All,
// Stop All and Exit; each submenu command names its process by its place.
TEST(FrameTray, TheMenuHasASubmenuPerProcessAndItsCommandsNameTheProcessByPlace) {
    HMENU menu = FrameTray::BuildMenu({L"Web", L"Db & cache"});
    std::vector<std::wstring> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[100] = {};
        GetMenuStringW(menu, i, text, 100, MF_BYPOSITION);
        texts.push_back(text);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"&Show Tarnwick", L"", L"Web", L"Db && cache", L"", L"Start &All", L"S&top All",
                                         L"", L"E&xit"}),
              texts);
    HMENU second = GetSubMenu(menu, 3);
    ASSERT_NE(nullptr, second);
    size_t index = 9;
    int command = 0;
    ASSERT_TRUE(FrameTray::ProcessCommandOf(static_cast<int>(GetMenuItemID(second, 1)), index, command));
    EXPECT_EQ(1u, index);
    EXPECT_EQ(40004, command);  // Stop
    EXPECT_FALSE(FrameTray::ProcessCommandOf(FrameTray::showCommand, index, command));
    DestroyMenu(menu);
}

}  // namespace
