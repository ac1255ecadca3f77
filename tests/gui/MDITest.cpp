#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "GuiTestSupport.h"
#include "gui/MDIChildWindow.h"
#include "gui/MDIClientWindow.h"
#include "gui/MainWindowBase.h"
#include "gui/WindowMessageRouter.h"

namespace {

using gui::MDIChildWindow;
using gui::MDIClientWindow;
using gui::WindowMessageRouter;

const int windowListFirstId = 50000;

// A frame with a menu bar "&File", "Window", "&Window" and an MDI client filling its client area.
class TestFrame : public gui::MainWindowBase {
public:
    TestFrame() : MainWindowBase(L"TestFrame") {}

    void OnCreate() override {
        MainWindowBase::OnCreate();
        HMENU bar = CreateMenu();
        AddPopup(bar, L"&File", L"E&xit", 1);
        windowMenu = AddPopup(bar, L"Window", L"&Cascade", 2);
        // Last on the bar, so that a walk from the end meets it first; its accelerator mark
        // keeps it from being the window menu.
        decoyMenu = AddPopup(bar, L"&Window", L"&Tile", 3);
        SetMenu(handle, bar);
        client.Create(handle);
        mdiClientHandle = client.GetHandle();
        kind = FrameWindow;
        ShowWindow(client.GetHandle(), SW_SHOW);
        SetPosition(10, 10, 700, 500, SWP_SHOWWINDOW);
        SetForegroundWindow(handle);
    }

    void OnSize(WPARAM, LPARAM) override {
        RECT area = {};
        GetClientRect(handle, &area);
        if (client.GetHandle()) {
            client.SetPosition(area, SWP_SHOWWINDOW);
        }
    }

    // Appends a popup of one item to the bar and returns the popup.
    static HMENU AddPopup(HMENU bar, const wchar_t* title, const wchar_t* item, UINT id) {
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, id, item);
        AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(menu), title);
        return menu;
    }

    std::wstring Caption() { return guitest::TextOf(handle); }

    MDIClientWindow client;
    HMENU windowMenu = nullptr;
    HMENU decoyMenu = nullptr;
};

class TestChild : public MDIChildWindow {
public:
    TestChild() : MDIChildWindow(L"TestChild") { style = WS_OVERLAPPEDWINDOW | WS_VISIBLE; }
    ~TestChild() override { ++deleted; }
    void OnDestroy() override {
        ++destroyed;
        MDIChildWindow::OnDestroy();
    }
    void OnSize(WPARAM, LPARAM) override { ++sizeCalls; }
    int OnClose() override { return 0; }  // default MDI processing closes the child

    int sizeCalls = 0;
    static inline int deleted = 0;
    static inline int destroyed = 0;
};

TestChild* AddChild(TestFrame& frame, const wchar_t* title) {
    TestChild* child = new TestChild();  // deleted by the client
    child->SetFrameWindow(&frame);
    child->Create(frame.client.GetHandle());
    child->SetText(title);
    return child;
}

class MDIFrame : public ::testing::Test {
protected:
    void SetUp() override {
        frame.Create(nullptr);
        guitest::PumpMessages(30);
    }

    TestChild* OpenChild(const wchar_t* title) {
        TestChild* child = AddChild(frame, L"");
        SendMessageW(frame.client.GetHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
        child->SetText(title);
        guitest::PumpMessages(20);
        return child;
    }

    std::wstring Expected(const wchar_t* title) {
        return std::wstring(gui::MainWindowBase::ApplicationName()) + L" - " + title;
    }

    TestFrame frame;
};

TEST_F(MDIFrame, CaptionIsTheApplicationNameFollowedByTheActiveChildsTitle) {
    EXPECT_EQ(std::wstring(gui::MainWindowBase::ApplicationName()), frame.Caption());
    TestChild* first = OpenChild(L"Alpha");
    EXPECT_EQ(Expected(L"Alpha"), frame.Caption());
    TestChild* second = OpenChild(L"Beta");
    EXPECT_EQ(Expected(L"Beta"), frame.Caption());
    first->SetText(L"Alpha renamed");  // not the active child
    EXPECT_EQ(Expected(L"Beta"), frame.Caption());
    second->SetText(L"");  // an empty title leaves the caption alone
    EXPECT_EQ(Expected(L"Beta"), frame.Caption());
    second->SetText(L"Gamma");
    EXPECT_EQ(Expected(L"Gamma"), frame.Caption());
    // Activation moves the child to the top, which renews the caption from its own text.
    SendMessageW(frame.client.GetHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first->GetHandle()), 0);
    guitest::PumpMessages(20);
    EXPECT_EQ(first, frame.client.GetActiveChild());
    EXPECT_EQ(Expected(L"Alpha renamed"), frame.Caption());
}

TEST_F(MDIFrame, CountingPassCountsNewTitlesOnceAndDestroyingTheRegisteredChildErasesIt) {
    OpenChild(L"Same");
    OpenChild(L"Same");
    OpenChild(L"Other");
    EXPECT_EQ(2, frame.client.CountChildren());
    EXPECT_EQ(0, frame.client.CountChildren());
    auto& byTitle = frame.client.GetChildrenByTitle();
    ASSERT_EQ(1u, byTitle.count(String(L"Same")));
    MDIChildWindow* registered = byTitle[String(L"Same")];
    registered->MDIDestroy();  // that the window and its routing go: the closing ways below
    EXPECT_EQ(0u, byTitle.count(String(L"Same")));
    EXPECT_EQ(1u, byTitle.count(String(L"Other")));
    WindowMessageRouter::GetInstance()->DeleteWindow(registered);
    // The other "Same" child is registered by the next pass.
    EXPECT_EQ(1, frame.client.CountChildren());
}

TEST_F(MDIFrame, WindowListGoesToTheItemNamedExactlyWindow) {
    int decoyItems = GetMenuItemCount(frame.decoyMenu);
    OpenChild(L"Listed");
    guitest::PumpMessages(30);
    EXPECT_EQ(static_cast<UINT>(windowListFirstId),
              GetMenuItemID(frame.windowMenu, GetMenuItemCount(frame.windowMenu) - 1));
    EXPECT_EQ(decoyItems, GetMenuItemCount(frame.decoyMenu));
}

TEST_F(MDIFrame, ChildrenClosedAnyWayRunOnDestroyOnceAndAdoptedOnesAreDeleted) {
    WindowMessageRouter* router = WindowMessageRouter::GetInstance();
    // MDIDestroy, WM_MDIDESTROY, and SC_CLOSE as Ctrl+F4 sends it through TranslateMDISysAccel.
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        TestChild* child = OpenChild(L"Closed");
        router->Adopt(child);
        HWND handle = child->GetHandle();
        int deleted = TestChild::deleted;
        int destroyed = TestChild::destroyed;
        if (way == 0) {
            child->MDIDestroy();
        } else if (way == 1) {
            SendMessageW(frame.client.GetHandle(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(handle), 0);
        } else {
            SendMessageW(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        EXPECT_FALSE(IsWindow(handle));
        EXPECT_EQ(nullptr, router->Lookup(handle));
        EXPECT_EQ(destroyed + 1, TestChild::destroyed);
        EXPECT_EQ(deleted + 1, TestChild::deleted);
    }
}

TEST_F(MDIFrame, AMaximisedChildGetsOnSizeAndPutsItsButtonsInTheMenuBar) {
    TestChild* child = OpenChild(L"Big");
    int sizeCalls = child->sizeCalls;
    HMENU bar = GetMenu(frame.GetHandle());
    int items = GetMenuItemCount(bar);
    SendMessageW(frame.client.GetHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
    guitest::PumpMessages(20);
    EXPECT_TRUE(IsZoomed(child->GetHandle()));
    EXPECT_LT(sizeCalls, child->sizeCalls);
    // The child's system menu in front of the bar, its minimise, restore and close buttons after it.
    EXPECT_LT(items, GetMenuItemCount(bar));
}

TEST(MDIClientDisposal, ClientDeletesItsChildrenWithItself) {
    int deletedBefore = TestChild::deleted;
    HWND first = nullptr;
    {
        TestFrame frame;
        frame.Create(nullptr);
        first = AddChild(frame, L"Left")->GetHandle();
        AddChild(frame, L"Right");
    }
    EXPECT_EQ(deletedBefore + 2, TestChild::deleted);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(nullptr, WindowMessageRouter::GetInstance()->Lookup(first));
}

TEST(FrameBackground, TheClassKeepsItsBrushWhenTheFirstFrameIsDeleted) {
    class BrushFrame : public gui::MainWindowBase {
    public:
        BrushFrame() : MainWindowBase(L"BrushFrame") { SetBackgroundBrush(CreateSolidBrush(RGB(10, 20, 30))); }
    };
    BrushFrame* first = new BrushFrame();
    first->Create(nullptr);
    BrushFrame second;
    second.Create(nullptr);
    HGDIOBJ brush = reinterpret_cast<HGDIOBJ>(GetClassLongPtrW(second.GetHandle(), GCLP_HBRBACKGROUND));
    WindowMessageRouter::GetInstance()->DeleteWindow(first);
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(brush));
}

TEST_F(MDIFrame, AChildMadeWithoutAFrameFindsItThroughTheRouter) {
    TestChild* child = new TestChild();
    // No frame given, and the client's parent (the frame) is found through the router.
    child->Create(frame.client.GetHandle());
    EXPECT_EQ(&frame, child->GetFrameWindow());
    EXPECT_EQ(&frame.client, child->GetMDIClientWindow());
}

}  // namespace
