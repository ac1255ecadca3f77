// The state icons of process windows in the frame inside this test program, on probe children.
#include <windows.h>

#include <gtest/gtest.h>

#include "FrameFixture.h"

namespace {

using apptest::ProbeEntry;

const int kStart = 40002;
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

}  // namespace
