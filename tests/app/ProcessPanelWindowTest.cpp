// The process panel of the frame inside this test program, on probe children: its rows, their
// states and texts, what the mouse, keys and context menus do, and its width.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FrameFixture.h"
#include "app/ProcessPanel.h"

namespace {

using apptest::ProbeEntry;
using Icon = PanelStateText::Icon;

const int kTreePanel = 40203, kReload = 40012, kStart = 40002, kStop = 40004, kRestart = 40003, kClear = 40201;
const int kSave = 501, kStartAll = 40005, kStopAll = 40006, kRestartAll = 40007;

class ProcessPanelWindowTest : public apptest::FrameTest {
protected:
    ~ProcessPanelWindowTest() override { ProcessPanel::menuChoice = nullptr; }

    ProcessPanel& Panel() { return frame.GetPanel(); }
    HWND List() { return Panel().GetList(); }
    // What the list control itself shows in a cell.
    std::wstring Cell(int row, int column) {
        wchar_t text[256] = {};
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 256;
        SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return text;
    }
    int Image(int row) {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        SendMessageW(List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }
    std::vector<std::wstring> Titles() {
        std::vector<std::wstring> titles;
        int count = static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) {
            titles.push_back(Cell(row, 0));
        }
        return titles;
    }
    int RowOf(const std::wstring& title) {
        std::vector<std::wstring> titles = Titles();
        for (size_t row = 0; row < titles.size(); ++row) {
            if (titles[row] == title) {
                return static_cast<int>(row);
            }
        }
        return -1;
    }
    std::wstring StateOf(const std::wstring& title) { return RowOf(title) < 0 ? L"" : Cell(RowOf(title), 1); }
    bool WaitForState(const std::wstring& title, const std::wstring& text) {
        return WaitFor([&] { return StateOf(title) == text; });
    }
    bool WaitForPrefix(const std::wstring& title, const std::wstring& prefix) {
        return WaitFor([&] { return StateOf(title).compare(0, prefix.size(), prefix) == 0; });
    }
    POINT RowPoint(int row) {
        RECT bounds = {LVIR_LABEL, 0, 0, 0};
        SendMessageW(List(), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
        return {bounds.left + 5, (bounds.top + bounds.bottom) / 2};
    }
    void Select(int row) {
        LVITEMW state = {};
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    }
    void Key(int row, WORD key) {
        Select(row);
        SendMessageW(List(), WM_KEYDOWN, key, 0);
        SendMessageW(List(), WM_KEYUP, key, 0);
        Pump(50);
    }
    void Mouse(UINT down, UINT up, POINT at) {
        PostMessageW(List(), down, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        PostMessageW(List(), up, 0, MAKELPARAM(at.x, at.y));
        Pump(100);
    }
    // Opens the context menu at a point of the list, choosing command; the menu's items are kept.
    void ContextMenu(POINT inList, int command) {
        items.clear();
        ProcessPanel::menuChoice = [this, command](HMENU menu, POINT) {
            for (int index = 0; index < GetMenuItemCount(menu); ++index) {
                UINT id = GetMenuItemID(menu, index);
                if (id != static_cast<UINT>(-1) && id != 0) {
                    items.push_back(static_cast<int>(id));
                    grayed.push_back((GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0);
                }
            }
            return command;
        };
        ClientToScreen(List(), &inList);
        SendMessageW(List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()), MAKELPARAM(inList.x, inList.y));
        Pump(50);
    }
    RECT ClientRect(HWND window) {
        RECT bounds = {};
        GetWindowRect(window, &bounds);
        MapWindowPoints(HWND_DESKTOP, frame.GetHandle(), reinterpret_cast<POINT*>(&bounds), 2);
        return bounds;
    }
    HWND Active() {
        return reinterpret_cast<HWND>(SendMessageW(frame.GetMDIClient().GetHandle(), WM_MDIGETACTIVE, 0, 0));
    }

    std::vector<int> items;
    std::vector<bool> grayed;
};

// Shown, the panel takes the left of the client (checked in the View menu) with a row for each
// window in the order of the entries; each row tells how its process ends up: running with its
// time, an exit code, a crash, never started; the list shows the same texts and icons.
TEST_F(ProcessPanelWindowTest, RowsFollowTheEntriesAndTellEachState) {
    Open(ProbeEntry("Zeta", "ticks 100000 100") + ProbeEntry("Alpha", "sleep 300 exit 3") +
         ProbeEntry("Mid", "sleep 300 exit 0xC0000005") + ProbeEntry("Idle", "print x", "<start>false</start>"));
    ASSERT_TRUE(WaitFor([&] { return Window(L"Zeta") && Window(L"Alpha") && Window(L"Mid") && Window(L"Idle"); }));
    EXPECT_FALSE(frame.IsPanelShown());
    RECT before = ClientRect(frame.GetMDIClient().GetHandle());
    Command(kTreePanel);
    ASSERT_TRUE(frame.IsPanelShown());
    EXPECT_NE(0u, MenuState(kTreePanel) & MF_CHECKED);
    RECT panel = ClientRect(Panel().GetHandle()), client = ClientRect(frame.GetMDIClient().GetHandle());
    EXPECT_EQ(before.left, panel.left);
    EXPECT_EQ(frame.GetPanelWidth(), panel.right - panel.left);
    EXPECT_EQ(panel.right, client.left);
    EXPECT_EQ(before.right, client.right);
    EXPECT_EQ(before.top, panel.top);
    EXPECT_EQ(before.bottom, panel.bottom);

    EXPECT_EQ((std::vector<std::wstring>{L"Zeta", L"Alpha", L"Mid", L"Idle"}), Titles());
    EXPECT_TRUE(WaitForState(L"Alpha", L"exit code 3")) << StateOf(L"Alpha");
    EXPECT_TRUE(WaitForState(L"Mid", L"crashed 0xC0000005")) << StateOf(L"Mid");
    EXPECT_EQ(L"stopped", StateOf(L"Idle"));
    EXPECT_EQ(static_cast<int>(Icon::Failed), Image(RowOf(L"Alpha")));
    EXPECT_EQ(static_cast<int>(Icon::Failed), Image(RowOf(L"Mid")));
    EXPECT_EQ(static_cast<int>(Icon::Stopped), Image(RowOf(L"Idle")));
    EXPECT_EQ(static_cast<int>(Icon::Running), Image(RowOf(L"Zeta")));
    // The running time goes on by itself, once a second.
    ASSERT_TRUE(WaitForPrefix(L"Zeta", L"running 0:00:0"));
    EXPECT_TRUE(WaitForState(L"Zeta", L"running 0:00:02")) << StateOf(L"Zeta");
    EXPECT_TRUE(WaitForState(L"Zeta", L"running 0:00:03")) << StateOf(L"Zeta");
    EXPECT_EQ(StateOf(L"Zeta"), Panel().RowText(RowOf(L"Zeta")));

    Command(kTreePanel);
    EXPECT_FALSE(frame.IsPanelShown());
    EXPECT_EQ(0u, MenuState(kTreePanel) & MF_CHECKED);
    EXPECT_FALSE(IsWindowVisible(Panel().GetHandle()));
    EXPECT_EQ(before.left, ClientRect(frame.GetMDIClient().GetHandle()).left);
}

// A run the restart policy waits to start again counts its wait down; a stop that takes its
// time shows as stopping, and then stopped.
TEST_F(ProcessPanelWindowTest, ARestartWaitAndAStopShowInTheirRows) {
    Open(ProbeEntry("Again", "sleep 100 exit 3", "<restart>on-failure</restart>") + ProbeEntry("Long", "ticks 100000 100"));
    ASSERT_TRUE(WaitFor([&] { return Window(L"Again") && Window(L"Long"); }));
    frame.ShowPanel(true);
    EXPECT_TRUE(WaitForPrefix(L"Again", L"restarting in ")) << StateOf(L"Again");
    EXPECT_EQ(static_cast<int>(Icon::Failed), Image(RowOf(L"Again")));
    ASSERT_TRUE(WaitForPrefix(L"Long", L"running "));
    Key(RowOf(L"Again"), VK_DELETE);
    EXPECT_TRUE(WaitForState(L"Again", L"stopped")) << StateOf(L"Again");
    Key(RowOf(L"Long"), VK_DELETE);
    EXPECT_TRUE(WaitForState(L"Long", L"stopped")) << StateOf(L"Long");
    EXPECT_EQ(0, Window(L"Long")->CountRuns());
}

// A click activates the row's window; a double-click starts a stopped one (and leaves a running
// one be); Enter starts a stopped one and restarts a running one; Delete stops.
TEST_F(ProcessPanelWindowTest, MouseAndKeysActOnTheRowsWindow) {
    Open(ProbeEntry("One", "ticks 100000 100") + ProbeEntry("Two", "ticks 100000 100", "<start>false</start>"));
    ASSERT_TRUE(WaitFor([&] { return Window(L"One") && Window(L"Two"); }));
    frame.ShowPanel(true);
    ASSERT_EQ((std::vector<std::wstring>{L"One", L"Two"}), Titles());
    Mouse(WM_LBUTTONDOWN, WM_LBUTTONUP, RowPoint(1));
    EXPECT_EQ(Window(L"Two")->GetHandle(), Active());
    EXPECT_EQ(List(), GetFocus());  // the keyboard stays in the panel
    Mouse(WM_LBUTTONDOWN, WM_LBUTTONUP, RowPoint(0));
    EXPECT_EQ(Window(L"One")->GetHandle(), Active());

    Mouse(WM_LBUTTONDBLCLK, WM_LBUTTONUP, RowPoint(1));
    EXPECT_TRUE(WaitForPrefix(L"Two", L"running ")) << StateOf(L"Two");
    ASSERT_TRUE(WaitForText(L"One", L"tick 2"));
    Mouse(WM_LBUTTONDBLCLK, WM_LBUTTONUP, RowPoint(0));
    Pump(300);
    EXPECT_EQ(1, apptest::Runs(Text(L"One")));  // a running process is not started again

    Key(0, VK_DELETE);
    ASSERT_TRUE(WaitForState(L"One", L"stopped")) << StateOf(L"One");
    Key(0, VK_RETURN);
    EXPECT_TRUE(WaitForPrefix(L"One", L"running ")) << StateOf(L"One");
    EXPECT_TRUE(WaitFor([&] { return apptest::Runs(Text(L"One")) == 2; }));
    Key(0, VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return apptest::Runs(Text(L"One")) == 3; })) << apptest::Runs(Text(L"One"));
    EXPECT_TRUE(WaitForPrefix(L"One", L"running "));
    EXPECT_EQ(1, apptest::Runs(Text(L"Two")));
}

// A row's context menu acts on that row's window, whichever is active; with no row under the
// mouse the menu acts on every window, through the Process menu's own commands.
TEST_F(ProcessPanelWindowTest, ContextMenusActOnTheRowOrOnEveryWindow) {
    Open(ProbeEntry("First", "ticks 100000 100") + ProbeEntry("Second", "print hello", "<start>false</start>"));
    ASSERT_TRUE(WaitFor([&] { return Window(L"First") && Window(L"Second"); }));
    frame.ShowPanel(true);
    SendMessageW(frame.GetMDIClient().GetHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(Window(L"First")->GetHandle()),
                 0);
    ContextMenu(RowPoint(1), kStart);
    EXPECT_EQ((std::vector<int>{kStart, kStop, kRestart, kClear, kSave}), items);
    EXPECT_EQ((std::vector<bool>{false, true, false, false, false}), grayed);
    ASSERT_TRUE(WaitForText(L"Second", L"hello"));
    EXPECT_EQ(1, apptest::Runs(Text(L"First")));
    EXPECT_EQ(Window(L"First")->GetHandle(), Active());
    ASSERT_TRUE(WaitForState(L"Second", L"stopped"));
    ContextMenu(RowPoint(1), kClear);
    EXPECT_EQ(std::wstring::npos, Text(L"Second").find(L"hello"));
    EXPECT_NE(std::wstring::npos, Text(L"First").find(L"tick"));
    ContextMenu(RowPoint(0), kStop);
    EXPECT_TRUE(WaitForState(L"First", L"stopped"));
    ContextMenu(RowPoint(0), kRestart);
    EXPECT_TRUE(WaitFor([&] { return apptest::Runs(Text(L"First")) == 2; }));

    RECT area = {};
    GetClientRect(List(), &area);
    POINT empty = {area.right / 2, area.bottom - 5};
    ContextMenu(empty, kStopAll);
    EXPECT_EQ((std::vector<int>{kStartAll, kStopAll, kRestartAll}), items);
    EXPECT_TRUE(WaitFor([&] { return Window(L"First")->CountRuns() == 0; }));
    EXPECT_TRUE(WaitForState(L"First", L"stopped"));
    ContextMenu(empty, kStartAll);
    EXPECT_TRUE(WaitFor([&] { return apptest::Runs(Text(L"First")) == 3 && apptest::Runs(Text(L"Second")) == 1; }));
    EXPECT_TRUE(WaitForPrefix(L"First", L"running "));
    ContextMenu(empty, kRestartAll);
    EXPECT_TRUE(WaitFor([&] { return apptest::Runs(Text(L"First")) == 4 && apptest::Runs(Text(L"Second")) == 2; }));
}

// A reload that renames an entry and adds one puts their windows in the entries' order, the
// window of the old name after them; a window closed leaves its row.
TEST_F(ProcessPanelWindowTest, RowsFollowReloadsAndClosedWindows) {
    Open(ProbeEntry("A", "print a") + ProbeEntry("B", "print b") + ProbeEntry("C", "print c"));
    ASSERT_TRUE(WaitFor([&] { return Window(L"A") && Window(L"B") && Window(L"C"); }));
    frame.ShowPanel(true);
    ASSERT_EQ((std::vector<std::wstring>{L"A", L"B", L"C"}), Titles());
    Rewrite(ProbeEntry("New", "print n") + ProbeEntry("A", "print a") + ProbeEntry("B2", "print b") +
            ProbeEntry("C", "print c"));
    Command(kReload);
    ASSERT_TRUE(WaitFor([&] { return Window(L"New") && Window(L"B2"); }));
    EXPECT_EQ((std::vector<std::wstring>{L"New", L"A", L"B2", L"C", L"B"}), Titles());
    EXPECT_EQ(5, Panel().CountRows());
    ASSERT_TRUE(WaitFor([&] { return Window(L"A")->CountRuns() == 0 && Window(L"C")->CountRuns() == 0; }));
    SendMessageW(Window(L"A")->GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return Titles() == std::vector<std::wstring>{L"New", L"B2", L"C", L"B"}; }));
    EXPECT_EQ(L"B2", Panel().RowTitle(1));
    EXPECT_EQ(Window(L"C"), Panel().WindowAt(2));
}

// The width stays within its bounds however it is set, and dragging the panel's right edge sets
// it; the client follows.
TEST_F(ProcessPanelWindowTest, TheWidthIsBoundedAndFollowsTheBar) {
    Open(ProbeEntry("Only", "print x"));
    ASSERT_TRUE(WaitFor([&] { return Window(L"Only") != nullptr; }));
    frame.SetPanelWidth(10);
    EXPECT_EQ(ProcessPanel::minimumWidth, frame.GetPanelWidth());
    frame.SetPanelWidth(100000);
    EXPECT_EQ(ProcessPanel::maximumWidth, frame.GetPanelWidth());
    frame.SetPanelWidth(150);
    frame.ShowPanel(true);
    EXPECT_EQ(150, ClientRect(frame.GetMDIClient().GetHandle()).left - ClientRect(Panel().GetHandle()).left);

    HWND pane = Panel().GetHandle();
    SendMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(148, 20));
    SendMessageW(pane, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(258, 20));
    SendMessageW(pane, WM_LBUTTONUP, 0, MAKELPARAM(258, 20));
    EXPECT_EQ(258 + ProcessPanel::barWidth / 2, frame.GetPanelWidth());
    EXPECT_EQ(frame.GetPanelWidth(), ClientRect(frame.GetMDIClient().GetHandle()).left - ClientRect(pane).left);
    // Without the button held, moving does nothing.
    SendMessageW(pane, WM_MOUSEMOVE, 0, MAKELPARAM(120, 20));
    EXPECT_EQ(258 + ProcessPanel::barWidth / 2, frame.GetPanelWidth());
}

}  // namespace
