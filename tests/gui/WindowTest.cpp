#include "gui/Window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "app/WindowsApplication.h"
#include "gui/EditControl.h"
#include "gui/WindowMessageRouter.h"
#include "support/ThrownMessage.h"
#include "util/Exception.h"

namespace {

using gui::Window;
using gui::WindowMessageRouter;
using testsupport::ThrownMessage;

// A top-level framework window that records what reaches its handlers.
class ProbeWindow : public Window {
public:
    explicit ProbeWindow(const wchar_t* name = L"ProbeWindow") : Window(name) {
        style = WS_OVERLAPPEDWINDOW;
        registerClass = true;
    }

    void OnRegisterClass(WNDCLASSEXW&) override { ++registrations; }
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) {
            rawCommandCodes.push_back(HIWORD(wParam));
        }
        if (message == WM_CREATE && throwOnCreate) {
            throw new Exception(L"ProbeWindow::OnCreate()\nNo resources");
        }
        return Window::WindowProc(window, message, wParam, lParam);
    }
    LRESULT OnCommand(WPARAM wParam, LPARAM) override {
        commandCodes.push_back(HIWORD(wParam));
        return 0;
    }
    LRESULT OnMessage(UINT message, WPARAM, LPARAM) override {
        if (message == throwOn) {
            throw new Exception(L"ProbeWindow::OnMessage()\nRefused %i", static_cast<int>(message));
        }
        privateMessages.push_back(message);
        return 1;
    }
    int OnClose() override { return closeResult < 0 ? Window::OnClose() : closeResult; }

    static int registrations;
    std::vector<WORD> rawCommandCodes;
    std::vector<WORD> commandCodes;
    std::vector<UINT> privateMessages;
    UINT throwOn = 0;
    bool throwOnCreate = false;
    int closeResult = -1;  // below zero: the framework's own OnClose answers
};

int ProbeWindow::registrations = 0;

TEST(WindowClassRegistration, SecondObjectOfAClassReusesTheRegistration) {
    ProbeWindow::registrations = 0;
    ProbeWindow first(L"RegisteredOnce");
    ProbeWindow second(L"RegisteredOnce");
    first.Create(nullptr);
    second.Create(nullptr);
    EXPECT_EQ(1, ProbeWindow::registrations);
    EXPECT_EQ(L"RegisteredOnce", guitest::ClassOf(second.GetHandle()));
    EXPECT_NE(first.GetHandle(), second.GetHandle());
}

TEST(WindowBinding, AReusedHandleValueReplacesTheOldEntry) {
    WindowMessageRouter* router = WindowMessageRouter::GetInstance();
    ProbeWindow* old = new ProbeWindow();
    HWND handle = old->Create(nullptr);
    ProbeWindow replacement;
    // What the creation hook does when the system hands out a handle value again.
    router->Bind(handle, &replacement);
    EXPECT_EQ(&replacement, router->Lookup(handle));
    EXPECT_FALSE(router->Contains(old));
    // Deleting the old object must not take the new object's entry with it.
    DestroyWindow(handle);
    delete old;
    EXPECT_EQ(&replacement, router->Lookup(handle));
    router->Unbind(&replacement);
}

TEST(WindowCreate, SecondCreateFailsNamingTheClassAndKeepsTheWindow) {
    ProbeWindow window(L"TwiceCreated");
    HWND handle = window.Create(nullptr);
    EXPECT_EQ(L"TwiceCreated::Create()\nWindow is already created. Check your code.",
              ThrownMessage([&] { window.Create(nullptr); }));
    EXPECT_EQ(handle, window.GetHandle());
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_EQ(&window, WindowMessageRouter::GetInstance()->Lookup(handle));
}

TEST(WindowCreate, UnknownSystemClassReportsTheCreationFailure) {
    class Unregistered : public Window {
    public:
        Unregistered() : Window(L"NoSuchClassAnywhere") {}
    } window;
    EXPECT_EQ(0u, ThrownMessage([&] { window.Create(nullptr); })
                      .find(L"Window::CreateWindowEx() failed\n\nClassName : NoSuchClassAnywhere\n"
                            L"WindowClassName : NoSuchClassAnywhere\n"));
    EXPECT_EQ(nullptr, window.GetHandle());
    // The hook is gone: the next window of the thread is bound to its own object.
    ProbeWindow next;
    EXPECT_EQ(&next, WindowMessageRouter::GetInstance()->Lookup(next.Create(nullptr)));
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

TEST(WindowDispatch, EditUpdateNeverReachesOnCommand) {
    ProbeWindow parent;
    parent.Create(nullptr);
    gui::EditControl edit;
    edit.Create(parent.GetHandle());
    SendMessageW(edit.GetHandle(), WM_CHAR, L'x', 0);
    SendMessageW(edit.GetHandle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
    auto has = [](const std::vector<WORD>& codes, WORD code) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    };
    ASSERT_TRUE(has(parent.rawCommandCodes, EN_UPDATE)) << "the edit control sent no EN_UPDATE to test with";
    EXPECT_FALSE(has(parent.commandCodes, EN_UPDATE));
    EXPECT_TRUE(has(parent.commandCodes, EN_CHANGE));
}

TEST(WindowDispatch, OnMessageGetsWmUserUpToWmAppPlus3FF) {
    ProbeWindow window;
    HWND handle = window.Create(nullptr);
    for (UINT message : {0x03FFu, 0x0400u, 0x83FFu, 0x8400u}) {
        SendMessageW(handle, message, 0, 0);
    }
    EXPECT_EQ((std::vector<UINT>{0x0400u, 0x83FFu}), window.privateMessages);
}

TEST(WindowText, EmptyTextLeavesTheTargetAsItWasAndAddStyleAndLoadMenuReachTheWindow) {
    ProbeWindow window;
    window.Create(nullptr);
    String target(L"unchanged");
    window.GetText(target);
    EXPECT_STREQ(L"unchanged", target.GetBuffer());
    window.SetText(L"Caption text");
    EXPECT_STREQ(L"Caption text", window.GetText(target).GetBuffer());
    // AddStyle reaches a window that exists; a missing menu resource is reported.
    EXPECT_FALSE(GetWindowLongW(window.GetHandle(), GWL_STYLE) & WS_VISIBLE);
    window.AddStyle(WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongW(window.GetHandle(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(0u, ThrownMessage([&] { window.LoadMenu(999); }).find(L"Window::LoadMenu(999) - "));
}

TEST(WindowPlacement, CenterOnWorkAreaCentresTheClientSize) {
    ProbeWindow window;
    window.Create(nullptr);
    window.SetPosition(0, 0, 300, 200, SWP_NOZORDER);
    RECT client = {};
    GetClientRect(window.GetHandle(), &client);
    window.CenterOnWorkArea();
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT placed = {};
    GetWindowRect(window.GetHandle(), &placed);
    EXPECT_EQ((work.right - work.left - client.right) / 2, placed.left);
    EXPECT_EQ((work.bottom - work.top - client.bottom) / 2, placed.top);
    EXPECT_EQ(client.right, placed.right - placed.left);
    EXPECT_TRUE(IsWindowVisible(window.GetHandle()));
}

TEST(WindowDeletion, DeleteWindowOrDeletingADestroyedObjectLeavesNoEntry) {
    WindowMessageRouter* router = WindowMessageRouter::GetInstance();
    size_t before = router->GetEntryCount();
    for (bool throughRouter : {true, false}) {
        SCOPED_TRACE(throughRouter ? "DeleteWindow" : "Destroy, then delete");
        ProbeWindow* window = new ProbeWindow();
        HWND handle = window->Create(nullptr);
        EXPECT_EQ(before + 1, router->GetEntryCount());
        if (throughRouter) {
            router->DeleteWindow(window);
        } else {
            window->Destroy();
            EXPECT_EQ(nullptr, window->GetHandle());
            delete window;
        }
        EXPECT_FALSE(IsWindow(handle));
        EXPECT_EQ(nullptr, router->Lookup(handle));
        EXPECT_EQ(before, router->GetEntryCount());
    }
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

TEST(WindowExceptions, HandlerExceptionReachesTheMessageLoop) {
    ProbeWindow window;
    HWND handle = window.Create(nullptr);
    window.throwOn = 0x0401;
    PostMessageW(handle, 0x0401, 0, 0);
    WindowsApplication* application = static_cast<WindowsApplication*>(Application::GetCurrent());
    EXPECT_EQ(L"ProbeWindow::OnMessage()\nRefused 1025", ThrownMessage([&] { application->MessageLoop(); }));
    EXPECT_FALSE(WindowMessageRouter::HasPendingException());
    EXPECT_TRUE(IsWindow(handle));
}

TEST(WindowExceptions, HandlerExceptionDuringCreationReachesCreate) {
    ProbeWindow window;
    window.throwOnCreate = true;
    EXPECT_EQ(L"ProbeWindow::OnCreate()\nNo resources", ThrownMessage([&] { window.Create(nullptr); }));
    EXPECT_FALSE(WindowMessageRouter::HasPendingException());
}

TEST(WindowExceptions, HookExceptionReachesCreateAndNoWindowIsMade) {
    WindowMessageRouter* router = WindowMessageRouter::GetInstance();
    ProbeWindow window;
    void* record = TlsGetValue(router->GetTLSIndex());
    TlsSetValue(router->GetTLSIndex(), nullptr);  // the hook finds no record for this thread
    std::wstring thrown = ThrownMessage([&] { window.Create(nullptr); });
    TlsSetValue(router->GetTLSIndex(), record);
    EXPECT_EQ(L"Window::StaticCBTProc ... Unable to get TLS", thrown);
    EXPECT_EQ(nullptr, window.GetHandle());
    EXPECT_FALSE(router->Contains(&window));
    // With its record back the thread creates windows as before.
    EXPECT_NE(nullptr, window.Create(nullptr));
}

TEST(WindowRouter, RecordsAreMadeOncePerThread) {
    ProbeWindow window;  // the thread's record is made with its first window object
    EXPECT_EQ(L"WindowMessageRouter::SetTLSIndex()\nAttempted to set TLS more than once",
              ThrownMessage([] { WindowMessageRouter::GetInstance()->SetTLSIndex(); }));
}

}  // namespace
