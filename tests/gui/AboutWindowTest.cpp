#include "gui/AboutWindow.h"

#include <gtest/gtest.h>

#include <string>

#include "GuiTestSupport.h"
#include "app/Application.h"

namespace {

using AboutWindowTest = guitest::HostTest;

TEST_F(AboutWindowTest, ANullNameShowsTheBuiltInNameInBold) {
    Application* application = Application::GetCurrent();
    String name = application->name;
    application->name = String();
    gui::AboutWindow unnamed;
    unnamed.Create(host.GetHandle());
    application->name = name;
    EXPECT_EQ(L"About GuiTests", guitest::TextOf(unnamed.GetHandle()));
    HWND title = unnamed.GetTitle().GetHandle();
    EXPECT_EQ(L"GuiTests", guitest::TextOf(title));
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(title, WM_GETFONT, 0, 0));
    EXPECT_EQ(unnamed.GetTitleFont().font, font);
    LOGFONTW description = {};
    ASSERT_NE(0, GetObjectW(font, sizeof(description), &description));
    EXPECT_EQ(FW_BOLD, description.lfWeight);
}

TEST_F(AboutWindowTest, OkIsCentredAtAnyWidth) {
    gui::AboutWindow about;
    about.Create(host.GetHandle());
    for (int width : {280, 361, 520}) {
        about.SetPosition(0, 0, width, 200, SWP_NOMOVE | SWP_NOZORDER);
        RECT client = {};
        GetClientRect(about.GetHandle(), &client);
        RECT ok = guitest::RectInParent(about.GetOkButton().GetHandle());
        EXPECT_EQ((client.right - (ok.right - ok.left)) / 2, ok.left) << width;
        EXPECT_LT(ok.bottom, client.bottom) << width;
    }
}

TEST_F(AboutWindowTest, ClosingOnlyHidesTheBox) {
    gui::AboutWindow about;
    about.Create(host.GetHandle());
    const struct {
        UINT message;
        WPARAM wParam;
    } closes[] = {{WM_CLOSE, 0}, {WM_SYSCOMMAND, SC_CLOSE}, {WM_COMMAND, gui::AboutWindow::kOkButtonId}};
    for (const auto& close : closes) {
        ShowWindow(about.GetHandle(), SW_SHOWNOACTIVATE);
        SendMessageW(about.GetHandle(), close.message, close.wParam, 0);
        EXPECT_FALSE(IsWindowVisible(about.GetHandle())) << close.message;
        EXPECT_TRUE(IsWindow(about.GetHandle())) << close.message;
        MSG quit;
        EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << close.message;
    }
}

}  // namespace
