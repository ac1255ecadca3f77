#include "gui/FileDialogs.h"

#include <windows.h>
// after windows.h, which it needs
#include <dlgs.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "GuiTestSupport.h"
#include "support/FileDialogUser.h"
#include "support/MessageBoxWatcher.h"
#include "support/ScratchDirectory.h"
#include "support/TarnwickSession.h"

namespace {

using testsupport::DialogUser;
using testsupport::MessageBoxWatcher;


TEST(FileDialogs, OpenReturnsTheTypedPathOfAnExistingFileAndCancelLeavesThePathAlone) {
    testsupport::ScratchDirectory scratch;
    std::wstring file = scratch.Write(L"processes.tnkx", "<processes/>");
    String chosen(L"before");
    {
        DialogUser cancel(L"");
        EXPECT_EQ(0, gui::ShowOpenFileDialog(nullptr, chosen));
    }
    EXPECT_STREQ(L"before", chosen.GetBuffer());
    DialogUser user(file);
    EXPECT_EQ(1, gui::ShowOpenFileDialog(nullptr, chosen));
    user.Wait();
    EXPECT_EQ(file, std::wstring(chosen.GetBuffer()));
    EXPECT_EQ(L"Load Configuration File", user.title);
}

TEST(FileDialogs, SaveAddsTheTxtExtensionAsksBeforeOverwritingAndKeepsTheCurrentDirectory) {
    testsupport::ScratchDirectory scratch;
    guitest::HostWindow owner;
    owner.Open(200, 100);
    wchar_t before[MAX_PATH] = L"", after[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, before);
    String chosen;
    {
        DialogUser user(scratch.File(L"output"));
        EXPECT_EQ(1, gui::ShowSaveFileDialog(owner.GetHandle(), chosen));
    }
    EXPECT_EQ(scratch.File(L"output.txt"), std::wstring(chosen.GetBuffer()));

    std::wstring existing = scratch.Write(L"saved.txt", "old contents");
    DialogUser user(existing, true);
    EXPECT_EQ(1, gui::ShowSaveFileDialog(nullptr, chosen));
    user.Wait();
    EXPECT_EQ(existing, std::wstring(chosen.GetBuffer()));
    EXPECT_NE(std::wstring::npos, user.question.find(L"already exists")) << "no overwrite question was shown";
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(before, after);
}

}  // namespace
