#include "gui/Window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "GuiTestSupport.h"
#include "app/WindowsApplication.h"
#include "gui/EditControl.h"
#include "gui/WindowMessageRouter.h"
#include "support/TarnwickSession.h"
#include "support/ThrownMessage.h"
#include "util/Exception.h"

namespace {

using gui::Window;
using gui::WindowMessageRouter;
using testsupport::ThrownMessage;

WindowMessageRouter* const router = WindowMessageRouter::GetInstance();

// A top-level framework window that records what reaches its handlers.
class ProbeWindow : public Window {
public:
    explicit ProbeWindow(const wchar_t* name = L"ProbeWindow") : Window(name) {
        style = WS_OVERLAPPEDWINDOW;
        registerClass = true;
    }

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) {
            created = window;
            if (throwIn == WM_CREATE) {
                throw new Exception(L"ProbeWindow::OnCreate()\nNo resources");
            }
        }
        return Window::WindowProc(window, message, wParam, lParam);
    }
    void OnCreate() override {
        if (throwIn == WM_NULL) {
            throw new Exception(L"ProbeWindow::OnCreate()\nNo resources");
        }
    }
    LRESULT OnCommand(WPARAM, LPARAM) override {
        if (onCommand) {
            onCommand(this);
        }
        return 0;
    }
    void OnDestroy() override {
        ++destroyCalls;
        if (onDestroy) {
            onDestroy();
        }
    }
    void OnSize(WPARAM, LPARAM) override { ++sizeCalls; }
    LRESULT OnMessage(UINT message, WPARAM, LPARAM) override {
        if (message == throwOn) {
            throw new Exception(L"ProbeWindow::OnMessage()\nRefused %i", static_cast<int>(message));
        }
        return 0;
    }
    int OnClose() override { return closeResult < 0 ? Window::OnClose() : closeResult; }

    std::function<void(ProbeWindow*)> onCommand;
    std::function<void()> onDestroy;
    HWND created = nullptr;  // the handle seen in WM_CREATE
    UINT throwOn = 0;
    UINT throwIn = WM_QUIT;  // WM_CREATE: its handler throws; WM_NULL: OnCreate throws
    int closeResult = -1;    // below zero: the framework's own OnClose answers
    int destroyCalls = 0;
    int sizeCalls = 0;
};

// A probe that counts its deletions, for the objects that the router deletes.
class CountedWindow : public ProbeWindow {
public:
    explicit CountedWindow(DWORD windowStyle = WS_OVERLAPPEDWINDOW) { style = windowStyle; }
    ~CountedWindow() override { ++deletions; }
    static inline int deletions = 0;
};

TEST(WindowCreate, SecondCreateFailsNamingTheClassAndKeepsTheWindow) {
    ProbeWindow window(L"TwiceCreated");
    HWND handle = window.Create(nullptr);
    EXPECT_EQ(L"TwiceCreated::Create()\nWindow is already created. Check your code.",
              ThrownMessage([&] { window.Create(nullptr); }));
    EXPECT_EQ(handle, window.GetHandle());
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_EQ(&window, router->Lookup(handle));
}

TEST(WindowCreate, UnknownSystemClassReportsTheCreationFailure) {
    class Unregistered : public Window {
    public:
        Unregistered() : Window(L"NoSuchClassAnywhere") {}
    } window;
    EXPECT_EQ(0u, ThrownMessage([&] { window.Create(nullptr); }).find(L"Window::CreateWindowEx() failed\n"));
    EXPECT_EQ(nullptr, window.GetHandle());
    // The hook is gone: the next window of the thread is bound to its own object.
    ProbeWindow next;
    EXPECT_EQ(&next, router->Lookup(next.Create(nullptr)));
}

TEST(WindowClose, DefaultCloseKeepsTheWindowAndZeroLetsItGo) {
    for (int closeResult : {-1, 0}) {
        ProbeWindow window;
        window.closeResult = closeResult;
        HWND handle = window.Create(nullptr);
        EXPECT_EQ(0, SendMessageW(handle, WM_CLOSE, 0, 0));
        EXPECT_EQ(closeResult != 0, IsWindow(handle) != FALSE) << "OnClose answering " << closeResult;
    }
}

TEST(WindowDispatch, OnSizeRunsWhenTheSizeChangesNotOnMovesOrZOrder) {
    ProbeWindow window;
    window.Create(nullptr);
    window.SetPosition(10, 10, 300, 200, SWP_NOZORDER);
    int before = window.sizeCalls;
    window.SetPosition(40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(window.GetHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(before, window.sizeCalls);
    window.SetPosition(40, 40, 320, 200, SWP_NOZORDER);
    EXPECT_EQ(before + 1, window.sizeCalls);
}

TEST(WindowDeletion, MessagesForAWindowWithoutObjectGetDefaultProcessing) {
    ProbeWindow* window = new ProbeWindow();
    HWND handle = window->Create(nullptr);
    delete window;  // the native window lives on
    ASSERT_TRUE(IsWindow(handle));
    SetWindowTextW(handle, L"still answers");
    EXPECT_EQ(13, GetWindowTextLengthW(handle));
    EXPECT_EQ(0, SendMessageW(handle, 0x0401, 0, 0));
    EXPECT_FALSE(WindowMessageRouter::HasPendingException());
    DestroyWindow(handle);
}

TEST(WindowLifetime, ChildrenDyingWithTheirParentAreLetGoAndOnlyAdoptedOnesDeleted) {
    ProbeWindow parent;
    parent.Create(nullptr);
    CountedWindow* adopted = new CountedWindow(WS_CHILD);
    CountedWindow member(WS_CHILD);
    gui::EditControl edit;  // a system class: its WM_NCDESTROY never reaches the router
    HWND handles[] = {adopted->Create(parent.GetHandle()), member.Create(parent.GetHandle()),
                      edit.Create(parent.GetHandle())};
    router->Adopt(adopted);
    int deletionsBefore = CountedWindow::deletions;
    parent.Destroy();
    EXPECT_EQ(deletionsBefore + 1, CountedWindow::deletions);
    for (HWND handle : handles) {
        EXPECT_EQ(nullptr, router->Lookup(handle));
    }
    EXPECT_EQ(nullptr, member.GetHandle());
    EXPECT_EQ(nullptr, edit.GetHandle());
    EXPECT_TRUE(member.IsDestroyed());
    EXPECT_EQ(1, member.destroyCalls);
    EXPECT_EQ(1, parent.destroyCalls);
}

TEST(WindowLifetime, AHandlerRemovingItsOwnWindowFinishesBeforeTheObjectIsDeleted) {
    for (bool adopt : {false, true}) {
        SCOPED_TRACE(adopt ? "adopted, Destroy" : "DeleteWindow");
        CountedWindow* window = new CountedWindow();
        HWND handle = window->Create(nullptr);
        if (adopt) {
            router->Adopt(window);
        }
        int before = CountedWindow::deletions;
        int deletedInHandler = -1;
        int destroyCallsInHandler = -1;
        window->onCommand = [&](ProbeWindow* self) {
            if (adopt) {
                self->Destroy();
            }
            router->DeleteWindow(self);
            router->DeleteWindow(self);  // asked twice, deleted once
            deletedInHandler = CountedWindow::deletions - before;
            destroyCallsInHandler = self->destroyCalls;
        };
        SendMessageW(handle, WM_COMMAND, 5, 0);
        EXPECT_EQ(0, deletedInHandler);
        EXPECT_EQ(1, destroyCallsInHandler);
        EXPECT_EQ(before + 1, CountedWindow::deletions);
        EXPECT_FALSE(IsWindow(handle));
        EXPECT_EQ(nullptr, router->Lookup(handle));
    }
}

TEST(WindowLifetime, OtherThreadsLookHandlesUpWhileAWindowIsBeingDeleted) {
    // Destroying a process window waits for its reader thread, which may look handles up.
    static std::atomic<bool> answered(false);
    ProbeWindow* window = new ProbeWindow();
    HWND handle = window->Create(nullptr);
    bool answeredInTime = false;
    std::thread lookup;
    window->onDestroy = [&] {
        lookup = std::thread([handle] {
            router->Lookup(handle);
            answered = true;
        });
        answeredInTime = testsupport::WaitUntil([] { return answered.load(); }, 3000);
    };
    router->DeleteWindow(window);
    EXPECT_TRUE(answeredInTime);
    // Joined when it answered; a thread stuck in the lookup is left (detached threads of the
    // threading library can start late under Wine, so they are not used where a test waits).
    if (answeredInTime) {
        lookup.join();
    } else if (lookup.joinable()) {
        lookup.detach();
    }
}

// The test application's message loop with the accelerator table of the test resources, over a
// frame with a control. Where keys go is tested with the program's own windows.
TEST(MessageLoop, AHandlerOrAcceleratorCommandFailureIsThrownBeforeTheNextMessage) {
    auto* application = static_cast<WindowsApplication*>(Application::GetCurrent());
    ProbeWindow frame;
    gui::EditControl edit;
    frame.Create(nullptr);
    edit.Create(frame.GetHandle());
    application->acceleratorId = 7000;
    application->mainWindow = frame.GetHandle();
    // Runs the loop to the quit posted last and returns what it threw; the quit must be left queued.
    auto run = [&] {
        PostQuitMessage(0);
        std::wstring thrown = ThrownMessage([&] { application->MessageLoop(); });
        MSG quit;
        EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit was taken";
        return thrown;
    };
    frame.throwOn = 0x0401;
    PostMessageW(frame.GetHandle(), 0x0401, 0, 0);
    EXPECT_EQ(L"ProbeWindow::OnMessage()\nRefused 1025", run());
    EXPECT_FALSE(WindowMessageRouter::HasPendingException());
    EXPECT_TRUE(IsWindow(frame.GetHandle()));
    frame.onCommand = [](ProbeWindow*) { throw new Exception(L"MainWindow::OnCommand()\nRefused"); };
    PostMessageW(edit.GetHandle(), WM_KEYDOWN, VK_F5, 1);
    EXPECT_EQ(L"MainWindow::OnCommand()\nRefused", run());
    application->acceleratorId = 0;
    application->mainWindow = nullptr;
}

TEST(WindowExceptions, CreationFailureDestroysTheWindowAndLeavesTheObjectToTheCaller) {
    for (UINT throwIn : {static_cast<UINT>(WM_CREATE), static_cast<UINT>(WM_NULL)}) {
        SCOPED_TRACE(throwIn == WM_CREATE ? "WM_CREATE" : "OnCreate");
        int deletionsBefore = CountedWindow::deletions;
        CountedWindow* window = new CountedWindow();
        window->throwIn = throwIn;
        router->Adopt(window);  // too early: a failed Create still leaves the object to its caller
        EXPECT_EQ(L"ProbeWindow::OnCreate()\nNo resources", ThrownMessage([&] { window->Create(nullptr); }));
        EXPECT_FALSE(WindowMessageRouter::HasPendingException());
        ASSERT_NE(nullptr, window->created);
        EXPECT_FALSE(IsWindow(window->created));
        EXPECT_EQ(nullptr, router->Lookup(window->created));
        EXPECT_EQ(nullptr, window->GetHandle());
        EXPECT_EQ(deletionsBefore, CountedWindow::deletions);
        delete window;
    }
}

}  // namespace
