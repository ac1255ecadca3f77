// The find strip of a process window while its child floods it, in the frame inside this test
// program, driven by keys on the test display.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>

#include "FrameFixture.h"
#include "app/FindBar.h"
#include "app/OutputView.h"

namespace {

using apptest::ProbeEntry;
using testsupport::TarnwickSession;

const int kLines = 20000;
const int kCountId = 105;  // the strip's count, as it numbers its controls

class FindFloodWindowTest : public apptest::FrameTest {};

// Every line of a flood that comes while the strip is open on a word of it reaches the view, and
// the count the strip shows follows it to the last one.
TEST_F(FindFloodWindowTest, AFloodWithASearchOpenComesInWholeAndIsCounted) {
    std::string go = "TarnwickFindFlood" + std::to_string(GetCurrentProcessId());
    Open(ProbeEntry("Flood", "print ready waitevent " + go + " ticks " + std::to_string(kLines) + " 0 sleep 30000"));
    ASSERT_TRUE(WaitForText(L"Flood", L"ready\r\n"));
    ProcessWindow* window = Window(L"Flood");
    FindBar& bar = window->GetFindBar();
    ShowWindow(frame.GetHandle(), SW_SHOWNORMAL);
    SetForegroundWindow(frame.GetHandle());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == frame.GetHandle(); }, 5000));
    PressKey('F', {VK_CONTROL});
    ASSERT_TRUE(bar.IsOpen());
    for (WORD letter : {'T', 'I', 'C', 'K'}) {
        PressKey(letter, {});
    }
    // The child's command line in the run's first lines says "ticks": a whole word leaves it out.
    SendMessageW(FindWindowExW(bar.GetHandle(), nullptr, L"Button", L"Whole word"), BM_CLICK, 0, 0);
    HWND count = GetDlgItem(bar.GetHandle(), kCountId);
    ASSERT_EQ(L"No matches", TarnwickSession::Text(count));

    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, go.c_str());
    SetEvent(event);
    std::wstring last = L"tick " + std::to_wstring(kLines) + L"\r\n";
    EXPECT_TRUE(WaitForText(L"Flood", last));
    std::wstring text = Text(L"Flood");
    EXPECT_EQ(last, text.substr(text.size() - std::min(text.size(), last.size())));
    std::wstring all = std::to_wstring(kLines) + L" matches";
    EXPECT_TRUE(WaitFor([&] { return TarnwickSession::Text(count) == all; }, 10000)) << TarnwickSession::Text(count);
    // Enter goes to a match; its place is counted among the whole flood's.
    PressKey(VK_RETURN, {});
    std::wstring shown = TarnwickSession::Text(count);
    EXPECT_TRUE(std::regex_match(shown, std::wregex(L"[1-9][0-9]* of " + std::to_wstring(kLines)))) << shown;
    EXPECT_EQ(L"tick", window->GetOutputView().GetSelectedText());
    CloseHandle(event);
}

}  // namespace
