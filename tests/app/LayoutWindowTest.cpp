// The remembered layout, in frames inside this test program: what Exit writes for a configuration
// file is where the next frame on that file puts itself and its process windows. Every test
// works on scratch configuration files and removes what was remembered for them.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FrameFixture.h"
#include "app/LayoutStore.h"
#include "app/ProcessPanel.h"
#include "support/FileDialogUser.h"

namespace {

using apptest::ProbeEntry;
using apptest::Processes;

const int kExit = 502, kReload = 40012, kTileHorizontally = 40314, kOpenSettings = 40101;

std::string Idle(const std::string& title) {
    return ProbeEntry(title, "print x", "<start>false</start>");
}

LayoutPlacement Place(int left, int top, int right, int bottom, bool maximized = false) {
    LayoutPlacement placement;
    placement.normal = {left, top, right, bottom};
    placement.maximized = maximized;
    return placement;
}

class LayoutWindowTest : public ::testing::Test {
protected:
    LayoutWindowTest() { path = Configuration(L"t.tnkx", Idle("Web") + Idle("Db") + Idle("Queue")); }
    ~LayoutWindowTest() override {
        Close();
        for (const std::wstring& file : files) {
            LayoutStore::Forget(file);
        }
    }
    std::wstring Configuration(const std::wstring& name, const std::string& entries) {
        std::wstring file = dir.Write(name, Processes(entries));
        LayoutStore::Forget(file);
        files.push_back(file);
        return file;
    }
    MainWindow& Open(const std::wstring& file) {
        Close();
        configuration.reset(new ConfigurationFile());
        configuration->SetPath(file.c_str());
        frame.reset(new MainWindow());
        frame->SetConfigurationFile(configuration.get());
        frame->Create(nullptr);
        Pump(100);  // the frame's note that its start-up placing is over
        return *frame;
    }
    void Close() {
        if (frame) {
            frame->DisposeProcessWindows();
            frame->Destroy();
            frame.reset();
        }
        configuration.reset();
    }
    void Exit() {
        SendMessageW(frame->GetHandle(), WM_COMMAND, MAKEWPARAM(kExit, 0), 0);
        Pump(50);
    }
    void Pump(UINT ms) {
        UINT_PTR timer = SetTimer(nullptr, 0, ms, apptest::EndSlice);
        application.MessageLoop();
        KillTimer(nullptr, timer);
    }
    HWND Client() { return frame->GetMDIClient().GetHandle(); }
    HWND Child(const std::wstring& title) {
        for (HWND c = GetWindow(Client(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (testsupport::TarnwickSession::Text(c) == title) {
                return c;
            }
        }
        return nullptr;
    }
    static LayoutPlacement PlacementOf(HWND window) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof(placement);
        GetWindowPlacement(window, &placement);
        const RECT& r = placement.rcNormalPosition;
        return Place(r.left, r.top, r.right, r.bottom, IsZoomed(window) != FALSE);
    }
    // Where a user's drag would have left the window.
    void Drag(HWND child, const LayoutPlacement& to) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof(placement);
        placement.showCmd = SW_SHOWNORMAL;
        placement.rcNormalPosition = {to.normal.left, to.normal.top, to.normal.right, to.normal.bottom};
        SetWindowPlacement(child, &placement);
        SendMessageW(child, WM_EXITSIZEMOVE, 0, 0);
        Pump(20);  // the window's note to the frame
    }
    WindowLayout Remembered(const std::wstring& file) {
        WindowLayout layout;
        EXPECT_TRUE(LayoutStore::Read(file, layout));
        return layout;
    }
    static LayoutRect RectOf(HWND window) {
        RECT r = {};
        GetWindowRect(window, &r);
        return {r.left, r.top, r.right, r.bottom};
    }

    apptest::LoopApplication application;
    testsupport::ScratchDirectory dir;
    std::vector<std::wstring> files;
    std::wstring path;
    std::unique_ptr<ConfigurationFile> configuration;
    std::unique_ptr<MainWindow> frame;
};

// Moved windows: the frame's place and each window's place by title, the arrangement left free.
TEST_F(LayoutWindowTest, ExitWritesWherePlacesAreAndTheNextStartPutsEverythingBack) {
    Open(path);
    SetWindowPos(frame->GetHandle(), nullptr, 60, 50, 700, 500, SWP_NOZORDER);
    const LayoutPlacement web = Place(10, 10, 300, 200), db = Place(40, 120, 420, 330), queue = Place(5, 200, 205, 290);
    Drag(Child(L"Web"), web);
    Drag(Child(L"Db"), db);
    Drag(Child(L"Queue"), queue);
    Exit();

    WindowLayout written = Remembered(path);
    ASSERT_TRUE(written.hasFrame);
    EXPECT_EQ(Place(60, 50, 760, 550), written.frame);
    EXPECT_EQ(WindowLayout::Arrangement::Free, written.arrangement);
    ASSERT_EQ(3u, written.children.size());
    ASSERT_NE(nullptr, written.FindChild(L"Db"));
    EXPECT_EQ(db, *written.FindChild(L"Db"));

    Open(path);
    EXPECT_EQ((LayoutRect{60, 50, 760, 550}), RectOf(frame->GetHandle()));
    EXPECT_FALSE(IsZoomed(frame->GetHandle()));
    EXPECT_EQ(web, PlacementOf(Child(L"Web")));
    EXPECT_EQ(db, PlacementOf(Child(L"Db")));
    EXPECT_EQ(queue, PlacementOf(Child(L"Queue")));
}

// A maximised frame and a tiling; then one window maximised; the panel's state goes round too.
TEST_F(LayoutWindowTest, AMaximisedFrameATilingAndAMaximisedWindowComeBack) {
    Open(path);
    SetWindowPos(frame->GetHandle(), nullptr, 30, 40, 640, 480, SWP_NOZORDER);
    ShowWindow(frame->GetHandle(), SW_MAXIMIZE);
    SendMessageW(frame->GetHandle(), WM_COMMAND, MAKEWPARAM(kTileHorizontally, 0), 0);
    LayoutPlacement web = PlacementOf(Child(L"Web")), queue = PlacementOf(Child(L"Queue"));
    Exit();
    EXPECT_EQ(WindowLayout::Arrangement::TileHorizontally, Remembered(path).arrangement);
    EXPECT_FALSE(Remembered(path).panelShown);
    EXPECT_EQ(ProcessPanel::defaultWidth, Remembered(path).panelWidth);

    WindowLayout shownPanel = Remembered(path);
    shownPanel.panelShown = true;
    shownPanel.panelWidth = 260;
    LayoutStore::Write(path, shownPanel);
    Open(path);
    EXPECT_TRUE(frame->IsPanelShown());
    EXPECT_EQ(260, frame->GetPanelWidth());
    EXPECT_TRUE(IsZoomed(frame->GetHandle()));
    EXPECT_EQ(Place(30, 40, 670, 520, true), PlacementOf(frame->GetHandle()));
    EXPECT_EQ(web, PlacementOf(Child(L"Web")));
    EXPECT_EQ(queue, PlacementOf(Child(L"Queue")));

    SendMessageW(Client(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(Child(L"Db")), 0);
    frame->SetPanelWidth(240);
    Exit();
    WindowLayout written = Remembered(path);
    EXPECT_TRUE(written.panelShown);
    EXPECT_EQ(240, written.panelWidth);
    EXPECT_EQ(WindowLayout::Arrangement::Maximized, written.arrangement);
    Open(path);
    EXPECT_TRUE(IsZoomed(Child(L"Db")));
    EXPECT_FALSE(IsZoomed(Child(L"Web")));
}

// A monitor that is gone, or a resolution that shrank under a frame at its edge: the frame comes
// wholly onto the nearest monitor's work area, its size kept.
TEST_F(LayoutWindowTest, AFrameRememberedOffEveryScreenIsMovedOntoOne) {
    RECT screen = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
    for (LayoutRect remembered :
         {LayoutRect{-20000, -15000, -19400, -14550}, LayoutRect{screen.right - 10, 100, screen.right + 590, 550}}) {
        WindowLayout layout;
        layout.hasFrame = true;
        layout.frame.normal = remembered;
        LayoutStore::Write(path, layout);
        Open(path);
        LayoutRect now = RectOf(frame->GetHandle());
        EXPECT_EQ(600, now.Width());
        EXPECT_EQ(450, now.Height());
        EXPECT_GE(now.left, screen.left) << remembered.left;
        EXPECT_GE(now.top, screen.top) << remembered.left;
        EXPECT_LE(now.right, screen.right) << remembered.left;
        EXPECT_LE(now.bottom, screen.bottom) << remembered.left;
        Close();
    }
}

// A title the layout does not know: a tiling is done again with it; left free, the new window gets
// the client's own place and the remembered ones keep theirs. Titles gone are forgotten.
TEST_F(LayoutWindowTest, ANewEntryGetsTheDefaultPlaceAndTheOthersKeepTheirs) {
    WindowLayout layout;
    layout.hasFrame = true;
    layout.frame = Place(20, 20, 820, 620);
    layout.arrangement = WindowLayout::Arrangement::Free;
    layout.children = {{L"Web", Place(300, 10, 600, 200)}, {L"Gone", Place(0, 0, 50, 50)}};
    LayoutStore::Write(path, layout);
    std::wstring twoNew = Configuration(L"u.tnkx", Idle("Web") + Idle("Db"));
    LayoutStore::Write(twoNew, layout);
    Open(twoNew);
    EXPECT_EQ(Place(300, 10, 600, 200), PlacementOf(Child(L"Web")));
    LayoutPlacement db = PlacementOf(Child(L"Db"));
    EXPECT_NE(Place(0, 0, 50, 50), db);
    RECT client = {};
    GetClientRect(Client(), &client);
    EXPECT_LT(db.normal.left, client.right);
    EXPECT_LT(db.normal.top, client.bottom);
    Exit();
    EXPECT_EQ(nullptr, Remembered(twoNew).FindChild(L"Gone"));
    ASSERT_NE(nullptr, Remembered(twoNew).FindChild(L"Db"));

    layout.arrangement = WindowLayout::Arrangement::TileVertically;
    LayoutStore::Write(path, layout);
    Open(path);
    std::vector<LayoutPlacement> tiled;
    for (const wchar_t* title : {L"Web", L"Db", L"Queue"}) {
        tiled.push_back(PlacementOf(Child(title)));
    }
    EXPECT_NE(Place(300, 10, 600, 200), tiled[0]);
    SendMessageW(Client(), WM_MDITILE, MDITILE_VERTICAL, 0);  // a tiling again changes nothing
    EXPECT_EQ(tiled[0], PlacementOf(Child(L"Web")));
    EXPECT_EQ(tiled[2], PlacementOf(Child(L"Queue")));
}

// Two files, two layouts; the letter case of a path names the same file.
TEST_F(LayoutWindowTest, TwoConfigurationsKeepTheirOwnLayoutsWhateverTheLetterCase) {
    std::wstring other = Configuration(L"other.tnkx", Idle("Web"));
    Open(path);
    SetWindowPos(frame->GetHandle(), nullptr, 100, 80, 500, 400, SWP_NOZORDER);
    Exit();
    Open(other);
    SetWindowPos(frame->GetHandle(), nullptr, 150, 90, 560, 420, SWP_NOZORDER);
    Exit();
    EXPECT_NE(LayoutStore::KeyFor(path), LayoutStore::KeyFor(other));

    std::wstring upper = path;
    CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    ASSERT_NE(path, upper);
    EXPECT_EQ(LayoutStore::KeyFor(path), LayoutStore::KeyFor(upper));
    Open(upper);
    EXPECT_EQ((LayoutRect{100, 80, 600, 480}), RectOf(frame->GetHandle()));
    Open(other);
    EXPECT_EQ((LayoutRect{150, 90, 710, 510}), RectOf(frame->GetHandle()));
}

// File > Open Settings puts the other file's windows where that file had them, and so leaves
// its layout as it was rather than writing the default places over it.
TEST_F(LayoutWindowTest, AFileOpenedFromTheMenuComesUpAsItWasLeft) {
    std::wstring other = Configuration(L"other.tnkx", Idle("Web") + Idle("Cache"));
    const LayoutPlacement web = Place(30, 40, 330, 240);
    Open(other);
    Drag(Child(L"Web"), web);
    Exit();

    Open(path);
    {
        testsupport::DialogUser user(other);
        SendMessageW(frame->GetHandle(), WM_COMMAND, MAKEWPARAM(kOpenSettings, 0), 0);
        user.Wait();
    }
    Pump(100);
    ASSERT_NE(nullptr, Child(L"Cache"));  // the other file is in use
    EXPECT_EQ(nullptr, Child(L"Db"));
    EXPECT_EQ(web, PlacementOf(Child(L"Web")));
    Exit();
    const LayoutPlacement* kept = Remembered(other).FindChild(L"Web");
    ASSERT_NE(nullptr, kept);
    EXPECT_EQ(web, *kept);
}

// A move is written once the moves settle, not at once, and the end of the session writes at once;
// a reload leaves the windows where they are.
TEST_F(LayoutWindowTest, AMoveIsWrittenAMomentLaterAndAReloadKeepsWhatIsOnScreen) {
    Open(path);
    Exit();
    Open(path);
    ASSERT_NE(nullptr, Remembered(path).FindChild(L"Web"));
    LayoutPlacement before = *Remembered(path).FindChild(L"Web");
    const LayoutPlacement moved = Place(70, 30, 370, 230);
    ASSERT_NE(before, moved);
    Drag(Child(L"Web"), moved);
    Pump(300);
    EXPECT_EQ(before, *Remembered(path).FindChild(L"Web"));
    Pump(1200);
    EXPECT_EQ(moved, *Remembered(path).FindChild(L"Web"));
    EXPECT_EQ(WindowLayout::Arrangement::Free, Remembered(path).arrangement);

    // The end of the session writes at once, as Exit does.
    SetWindowPos(frame->GetHandle(), nullptr, 110, 70, 620, 470, SWP_NOZORDER);
    SendMessageW(frame->GetHandle(), WM_QUERYENDSESSION, 0, 0);
    EXPECT_EQ(Place(110, 70, 730, 540), Remembered(path).frame);
    SendMessageW(frame->GetHandle(), WM_ENDSESSION, FALSE, 0);

    const LayoutPlacement again = Place(90, 60, 390, 260);
    Drag(Child(L"Web"), again);
    SendMessageW(frame->GetHandle(), WM_COMMAND, MAKEWPARAM(kReload, 0), 0);
    Pump(100);
    EXPECT_EQ(again, PlacementOf(Child(L"Web")));
}

}  // namespace
