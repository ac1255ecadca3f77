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
#include "util/Exception.h"

namespace {

using gui::Window;
using gui::WindowMessageRouter;

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
    int OnClose() override { return closeResult; }

    static int registrations;
    std::vector<WORD> rawCommandCodes;
    std::vector<WORD> commandCodes;
    std::vector<UINT> privateMessages;
    UINT throwOn = 0;
    int closeResult = 1;
};

int ProbeWindow::registrations = 0;

// Throws from its window procedure while the system creates it.
class FailingCreateWindow : public Window {
public:
    FailingCreateWindow() : Window(L"FailingCreateWindow") { registerClass = true; }
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) {
            throw new Exception(L"FailingCreateWindow::OnCreate()\nNo resources");
        }
        return Window::WindowProc(window, message, wParam, lParam);
    }
};

std::wstring MessageOf(Exception* e) {
    std::wstring text = e->GetMessageText().GetBuffer();
    delete e;
    return text;
}

TEST(WindowClassRegistration, SecondObjectOfAClassReusesTheRegistration) {
    ProbeWindow::registrations = 0;
    ProbeWindow first(L"RegisteredOnce");
    ProbeWindow second(L"RegisteredOnce");
    first.Create(nullptr);
    second.Create(nullptr);
    EXPECT_EQ(1, ProbeWindow::registrations);
    wchar_t name[64] = L"";
    GetClassNameW(second.GetHandle(), name, 64);
    EXPECT_STREQ(L"RegisteredOnce", name);
    EXPECT_NE(first.GetHandle(), second.GetHandle());
}

TEST(WindowBinding, HandleIsBoundBeforeCreateReturns) {
    WindowMessageRouter* router = WindowMessageRouter::GetInstance();
    ProbeWindow window;
    HWND handle = window.Create(nullptr);
    ASSERT_NE(nullptr, handle);
    EXPECT_EQ(handle, window.GetHandle());
    EXPECT_EQ(&window, router->Lookup(handle));
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
    try {
        window.Create(nullptr);
        FAIL() << "second Create accepted";
    } catch (Exception* e) {
        EXPECT_EQ(L"TwiceCreated::Create()\nWindow is already created. Check your code.", MessageOf(e));
    }
    EXPECT_EQ(handle, window.GetHandle());
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_EQ(&window, WindowMessageRouter::GetInstance()->Lookup(handle));
}

TEST(WindowCreate, UnknownSystemClassReportsTheCreationFailure) {
    class Unregistered : public Window {
    public:
        Unregistered() : Window(L"NoSuchClassAnywhere") {}
    } window;
    try {
        window.Create(nullptr);
        FAIL() << "created a window of an unregistered class";
    } catch (Exception* e) {
        std::wstring text = MessageOf(e);
        EXPECT_EQ(0u, text.find(L"Window::CreateWindowEx() failed\n\nClassName : NoSuchClassAnywhere\n"
                                L"WindowClassName : NoSuchClassAnywhere\n"));
    }
    EXPECT_EQ(nullptr, window.GetHandle());
    // The hook is gone: the next window of the thread is bound to its own object.
    ProbeWindow next;
    EXPECT_EQ(&next, WindowMessageRouter::GetInstance()->Lookup(next.Create(nullptr)));
}

TEST(WindowClose, DefaultCloseKeepsTheWindowAndZeroLetsItGo) {
    ProbeWindow keeps;
    HWND kept = keeps.Create(nullptr);
    EXPECT_EQ(0, SendMessageW(kept, WM_CLOSE, 0, 0));
    EXPECT_TRUE(IsWindow(kept));

    ProbeWindow goes;
    goes.closeResult = 0;
    HWND gone = goes.Create(nullptr);
    SendMessageW(gone, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(gone));
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

TEST(WindowText, EmptyTextLeavesTheTargetAsItWas) {
    ProbeWindow window;
    window.Create(nullptr);
    String target(L"unchanged");
    window.GetText(target);
    EXPECT_STREQ(L"unchanged", target.GetBuffer());
    window.SetText(L"Caption text");
    EXPECT_STREQ(L"Caption text", window.GetText(target).GetBuffer());
    String fresh;  // a null String is filled like any other
    EXPECT_STREQ(L"Caption text", window.GetText(fresh).GetBuffer());
}

TEST(WindowStyle, AddStyleReachesAnExistingWindow) {
    ProbeWindow window;
    window.Create(nullptr);
    EXPECT_FALSE(GetWindowLongW(window.GetHandle(), GWL_STYLE) & WS_VISIBLE);
    window.AddStyle(WS_VISIBLE);
    EXPECT_TRUE(window.GetStyle() & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongW(window.GetHandle(), GWL_STYLE) & WS_VISIBLE);
}

TEST(WindowMenu, MissingMenuResourceIsReported) {
    ProbeWindow window;
    window.Create(nullptr);
    try {
        window.LoadMenu(999);
        FAIL() << "loaded a menu that does not exist";
    } catch (Exception* e) {
        EXPECT_EQ(0u, MessageOf(e).find(L"Window::LoadMenu(999) - "));
    }
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

TEST(WindowDeletion, DeleteWindowDestroysAndLeavesNoEntry) {
    WindowMessageRouter* router = WindowMessageRouter::GetInstance();
    size_t before = router->GetEntryCount();
    ProbeWindow* window = new ProbeWindow();
    HWND handle = window->Create(nullptr);
    EXPECT_EQ(before + 1, router->GetEntryCount());
    router->DeleteWindow(window);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(nullptr, router->Lookup(handle));
    EXPECT_EQ(before, router->GetEntryCount());
}

TEST(WindowDeletion, ObjectDeletedDirectlyAfterDestroyLeavesNoEntry) {
    WindowMessageRouter* router = WindowMessageRouter::GetInstance();
    ProbeWindow* window = new ProbeWindow();
    HWND handle = window->Create(nullptr);
    window->Destroy();
    EXPECT_EQ(nullptr, window->GetHandle());
    EXPECT_TRUE(window->IsDestroyed());
    delete window;
    EXPECT_EQ(nullptr, router->Lookup(handle));
    EXPECT_FALSE(router->Contains(window));
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
    try {
        application->MessageLoop();
        FAIL() << "the message loop ended without the handler's exception";
    } catch (Exception* e) {
        EXPECT_EQ(L"ProbeWindow::OnMessage()\nRefused 1025", MessageOf(e));
    }
    EXPECT_FALSE(WindowMessageRouter::HasPendingException());
    EXPECT_TRUE(IsWindow(handle));
}

TEST(WindowExceptions, HandlerExceptionDuringCreationReachesCreate) {
    FailingCreateWindow window;
    try {
        window.Create(nullptr);
        FAIL() << "Create succeeded";
    } catch (Exception* e) {
        EXPECT_EQ(L"FailingCreateWindow::OnCreate()\nNo resources", MessageOf(e));
    }
    EXPECT_FALSE(WindowMessageRouter::HasPendingException());
}

TEST(WindowExceptions, HookExceptionReachesCreateAndNoWindowIsMade) {
    WindowMessageRouter* router = WindowMessageRouter::GetInstance();
    ProbeWindow window;
    void* record = TlsGetValue(router->GetTLSIndex());
    TlsSetValue(router->GetTLSIndex(), nullptr);  // the hook finds no record for this thread
    try {
        window.Create(nullptr);
        TlsSetValue(router->GetTLSIndex(), record);
        FAIL() << "Create succeeded without a creation record";
    } catch (Exception* e) {
        TlsSetValue(router->GetTLSIndex(), record);
        EXPECT_EQ(L"Window::StaticCBTProc ... Unable to get TLS", MessageOf(e));
    }
    EXPECT_EQ(nullptr, window.GetHandle());
    EXPECT_FALSE(router->Contains(&window));
    // With its record back the thread creates windows as before.
    EXPECT_NE(nullptr, window.Create(nullptr));
}

TEST(WindowRouter, RecordsAreMadeOncePerThread) {
    WindowMessageRouter* router = WindowMessageRouter::GetInstance();
    ProbeWindow window;
    try {
        router->SetTLSIndex();
        FAIL() << "a second record was made";
    } catch (Exception* e) {
        EXPECT_EQ(L"WindowMessageRouter::SetTLSIndex()\nAttempted to set TLS more than once", MessageOf(e));
    }
}

}  // namespace
