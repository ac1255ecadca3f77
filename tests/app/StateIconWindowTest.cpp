// The state icons of process windows in the frame inside this test program, on probe children.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FrameFixture.h"
#include "app/FailureNotice.h"
#include "support/SavedRegistryValue.h"

namespace {

using apptest::ProbeEntry;

const int kStart = 40002, kStop = 40004;

size_t CountIn(const std::wstring& text, const std::wstring& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}
const int kRunningIcon = 102, kStoppedIcon = 103, kFailedIcon = 106;

class StateIconWindowTest : public apptest::FrameTest {
protected:
    // The icon a window shows, as the resource it was loaded from (shared copies are one handle).
    int IconOf(const wchar_t* title) {
        HICON shown = reinterpret_cast<HICON>(SendMessageW(Window(title)->GetHandle(), WM_GETICON, ICON_SMALL, 0));
        for (int id : {kRunningIcon, kStoppedIcon, kFailedIcon}) {
            if (shown == LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, 0, 0,
                                    LR_DEFAULTSIZE | LR_SHARED)) {
                return id;
            }
        }
        return 0;
    }
};

// A run that ends by itself with an exit code other than 0 leaves the failed icon, however fast
// it ends; a clean end and a window that never ran show the stopped one; a Start clears it.
TEST_F(StateIconWindowTest, AFailedRunIsMarkedUntilTheNextStart) {
    Open(ProbeEntry("Failed", "print x exit 3") + ProbeEntry("Clean", "print x") +
         ProbeEntry("Idle", "print x", "<start>false</start>") + ProbeEntry("Later", "sleep 1500 exit 4"));
    ASSERT_TRUE(WaitFor([&] { return Window(L"Failed") && Window(L"Clean") && Window(L"Idle") && Window(L"Later"); }));
    EXPECT_TRUE(WaitFor([&] { return IconOf(L"Failed") == kFailedIcon; })) << IconOf(L"Failed");
    EXPECT_TRUE(WaitFor([&] { return Text(L"Clean").find(L"ended by itself") != std::wstring::npos; }));
    Pump(200);
    EXPECT_EQ(kStoppedIcon, IconOf(L"Clean"));
    EXPECT_EQ(kStoppedIcon, IconOf(L"Idle"));

    ASSERT_TRUE(WaitFor([&] { return IconOf(L"Later") == kFailedIcon; }));
    SendMessageW(frame.GetMDIClient().GetHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(Window(L"Later")->GetHandle()),
                 0);
    Command(kStart);
    EXPECT_TRUE(WaitFor([&] { return IconOf(L"Later") == kRunningIcon; }, 1000)) << IconOf(L"Later");
    EXPECT_TRUE(WaitFor([&] { return IconOf(L"Later") == kFailedIcon; }));
}

// Records what a failure would tell the user, in place of the taskbar's flash.
class FailureNoticeWindowTest : public apptest::FrameTest {
protected:
    FailureNoticeWindowTest() : setting(L"Software\\Hollbrae\\Tarnwick", L"NotifyOnFailure") {
        setting.Delete();
        FailureNotice::notifier = [this](HWND shown, const std::wstring& text) {
            EXPECT_EQ(frame.GetHandle(), shown);
            told.push_back(text);
        };
    }
    ~FailureNoticeWindowTest() override { FailureNotice::notifier = saved; }

    testsupport::SavedRegistryValue setting;
    FailureNotice::Notifier saved = FailureNotice::notifier;
    std::vector<std::wstring> told;
};

// A window in the background that fails is told once per streak: the restart policy's runs belong
// to it, a Start by hand begins a new one; "NotifyOnFailure" "0" tells nothing.
TEST_F(FailureNoticeWindowTest, AFailureBehindAnotherWindowIsToldOncePerStreakUnlessTurnedOff) {
    Open(ProbeEntry("Front", "ticks 100000 100") +
         ProbeEntry("Crashy", "sleep 300 exit 3", "<restart>on-failure</restart>") + ProbeEntry("Fine", "sleep 300"));
    ASSERT_TRUE(WaitFor([&] { return Window(L"Front") && Window(L"Crashy") && Window(L"Fine"); }));
    SendMessageW(frame.GetMDIClient().GetHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(Window(L"Front")->GetHandle()),
                 0);
    // Restarted after 1 s, then 2 s: three failed runs.
    ASSERT_TRUE(WaitFor([&] { return CountIn(Text(L"Crashy"), L"Exit code 3 ") >= 3; }));
    Pump(300);
    ASSERT_EQ(1u, told.size());
    EXPECT_EQ(L"Crashy: exit code 3 (0x00000003), ended by itself", told[0]);
    EXPECT_NE(std::wstring::npos, Text(L"Fine").find(L"Exit code 0 "));  // a clean end is not told

    Window(L"Crashy")->ProcessCommand(kStop);
    ASSERT_TRUE(WaitFor([&] { return Window(L"Crashy")->CountRuns() == 0; }));
    Window(L"Crashy")->ProcessCommand(kStart);
    ASSERT_TRUE(WaitFor([&] { return told.size() == 2; }));

    setting.Write(L"0");
    Window(L"Crashy")->ProcessCommand(kStop);
    ASSERT_TRUE(WaitFor([&] { return Window(L"Crashy")->CountRuns() == 0; }));
    size_t failed = CountIn(Text(L"Crashy"), L"Exit code 3 ");
    Window(L"Crashy")->ProcessCommand(kStart);
    ASSERT_TRUE(WaitFor([&] { return CountIn(Text(L"Crashy"), L"Exit code 3 ") > failed; }));
    Pump(300);
    EXPECT_EQ(2u, told.size());
}

}  // namespace
