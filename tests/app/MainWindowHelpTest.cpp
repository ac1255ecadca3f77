// The frame's Help menu: the About box, the update check on demand, and the start after an
// update was accepted.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/ConfigurationFile.h"
#include "app/MainWindow.h"
#include "support/ScratchDirectory.h"
#include "support/ScriptedServer.h"
#include "support/TestApplication.h"
#include "support/UpdateOffer.h"

namespace {

using namespace testsupport;

class MainWindowHelp : public ::testing::Test {
protected:
    void SetUp() override {
        properties.values[L"CheckForUpdates"] = L"0";
        environment.properties = &properties;
        environment.trustedKey = trusted.PublicKey().c_str();
        environment.downloadFolder = downloads.Path().c_str();
        environment.today = [] { return std::string("2026-12-10"); };  // within what the test key signed
        environment.buildDate = "2026-11-01";
        environment.messageBox = [this](HWND owner, const wchar_t* text, const wchar_t*, UINT) {
            boxes.push_back({owner, text});
            return IDYES;
        };
        environment.start = [](const wchar_t*, const wchar_t*, const wchar_t*) { return true; };
        // One process, not started by itself: its window shows that the configuration was loaded.
        configuration.SetPath(dir.Write(L"one.tnkx",
                                        "<processes><process><title>Idle</title><executable>cmd.exe"
                                        "</executable><start>false</start></process></processes>")
                                  .c_str());
    }
    void TearDown() override {
        frame->Destroy();
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void Open() {
        frame.reset(new MainWindow(environment));
        frame->SetConfigurationFile(&configuration);
        frame->Create(nullptr);
    }
    HWND Command(int id) {
        SendMessageW(frame->GetHandle(), WM_COMMAND, id, 0);
        return frame->GetAboutWindow().GetHandle();
    }

    TestApplication application;
    TestKey trusted;
    MapProperties properties;
    ScratchDirectory dir;
    ScratchDirectory downloads;
    util::version::VersionCheck::Environment environment;
    std::vector<std::pair<HWND, std::wstring>> boxes;
    ConfigurationFile configuration;
    std::unique_ptr<MainWindow> frame;
};

// What the update check's boxes say is its own test; here the command runs it with the frame as owner.
TEST_F(MainWindowHelp, AboutBoxIsMadeOnceAndLinksToTheAuthorAndCheckForUpdatesAsksTheServer) {
    ScriptedServer server({OkReply("<r><message>Down for maintenance</message></r>")});
    properties.values[L"UpdateUrl"] = server.Url(L"/versions/index.php");
    Open();  // the start-up check is off
    HWND about = Command(503);
    ShowWindow(about, SW_HIDE);  // as its Ok button does
    EXPECT_EQ(about, Command(503));
    EXPECT_TRUE(IsWindowVisible(about));
    LITEM link = {};
    link.mask = LIF_ITEMINDEX | LIF_URL;
    ASSERT_TRUE(
        SendMessageW(frame->GetAboutWindow().GetLink().GetHandle(), LM_GETITEM, 0, reinterpret_cast<LPARAM>(&link)));
    EXPECT_STREQ(L"https://example.com/tarnwick", link.szUrl);
    Command(505);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(frame->GetHandle(), boxes[0].first);
}

TEST_F(MainWindowHelp, AnUpdateAcceptedAtStartSkipsTheConfiguration) {
    for (bool accepted : {false, true}) {
        SCOPED_TRACE(accepted);
        ScriptedServer files({OkReply("updater bytes"), OkReply("program bytes")});
        std::string offer = SignedOffer("1.0.15", trusted, "updater bytes", "program bytes", Ascii(files.Url(L"")));
        ScriptedServer server({OkReply(accepted ? offer : "<r><message>nothing new</message></r>")});
        properties.values[L"CheckForUpdates"] = L"1";
        properties.values[L"UpdateUrl"] = server.Url(L"/versions/index.php");
        Open();
        EXPECT_TRUE(IsWindow(frame->GetHandle()));
        // A process window only where the configuration was loaded.
        EXPECT_EQ(!accepted, GetWindow(frame->GetMDIClient().GetHandle(), GW_CHILD) != nullptr);
        MSG quit = {};
        EXPECT_EQ(accepted, PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE);
        EXPECT_EQ(0u, quit.wParam);
        TearDown();
    }
}

}  // namespace
