// One running Tarnwick per configuration file: a start on a file that a running instance has open
// brings that instance's frame to the front and ends; any other file starts an instance of its own.
#include <windows.h>

#include <dlgs.h>
#include <gtest/gtest.h>

#include <string>

#include "ProbeConfiguration.h"
#include "common/TerminateProcessTree.h"
#include "support/MessageBoxWatcher.h"
#include "support/ScratchDirectory.h"
#include "support/TarnwickSession.h"

namespace {

using apptest::ProbeEntry;
using apptest::Processes;
using testsupport::ScratchDirectory;
using testsupport::TarnwickSession;
using testsupport::WaitUntil;

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

// Processes started by the given one (held open by the session), as the program's own tree walk
// finds them: what a start that handed over must not have made.
size_t ChildrenOf(DWORD processId) {
    return ProcessTreeIds(processId).size() - 1;
}

// The start handed over: it ended by itself with code 0, without a frame or a child of its own.
void ExpectHandedOver(TarnwickSession& second) {
    EXPECT_EQ(nullptr, second.Frame());
    EXPECT_EQ(0u, second.WaitForExit(10000));
    EXPECT_EQ(0u, ChildrenOf(second.ProcessId()));
}

TEST(SingleInstance, ASecondStartOnTheSameFileRestoresTheFirstFrameInFrontAndEnds) {
    ScratchDirectory dir;
    std::wstring a = dir.Write(L"a.tnkx", Processes(ProbeEntry("A", "sleep 60000")));
    std::wstring b = dir.Write(L"b.tnkx", Processes(ProbeEntry("B", "sleep 60000")));
    TarnwickSession first(Quoted(a));
    ASSERT_NE(nullptr, first.Frame());
    ShowWindow(first.Frame(), SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(first.Frame()); }, 5000));

    TarnwickSession other(Quoted(b));
    ASSERT_NE(nullptr, other.Frame()) << "another file starts an instance of its own";
    EXPECT_TRUE(WaitUntil([&] { return other.Child(L"B") != nullptr; }, 10000));
    SetForegroundWindow(other.Frame());
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other.Frame(); }, 5000));

    TarnwickSession second(Quoted(a));
    ExpectHandedOver(second);
    EXPECT_FALSE(IsIconic(first.Frame()));
    EXPECT_TRUE(IsWindowVisible(first.Frame()));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == first.Frame(); }, 5000));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), other.WaitForExit(0));
}

// "..\A.TNKX" from a folder beside the file names the file the first start was given in full.
TEST(SingleInstance, TheFileIsComparedAsAFullPathIgnoringLetterCase) {
    ScratchDirectory dir;
    std::wstring a = dir.Write(L"a.tnkx", Processes(ProbeEntry("A", "sleep 60000")));
    ASSERT_TRUE(CreateDirectoryW(dir.File(L"beside").c_str(), nullptr));
    TarnwickSession first(Quoted(a));
    ASSERT_NE(nullptr, first.Frame());
    wchar_t saved[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.File(L"beside").c_str()));
    TarnwickSession second(L"..\\A.TNKX");
    SetCurrentDirectoryW(saved);
    ExpectHandedOver(second);
}

// The system lets go of a killed instance's claim: the next start is an instance again.
TEST(SingleInstance, AKilledInstanceDoesNotBlockTheNextStart) {
    ScratchDirectory dir;
    std::wstring a = dir.Write(L"a.tnkx", Processes(ProbeEntry("A", "sleep 60000")));
    {
        TarnwickSession first(Quoted(a));
        ASSERT_NE(nullptr, first.Frame());
        ASSERT_TRUE(TerminateProcess(first.ProcessHandle(), 9));
        ASSERT_EQ(9u, first.WaitForExit(10000));
    }
    TarnwickSession next(Quoted(a));
    ASSERT_NE(nullptr, next.Frame());
    EXPECT_TRUE(WaitUntil([&] { return next.Child(L"A") != nullptr; }, 10000));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), next.WaitForExit(500));
}

// File > Open Settings answered with path in the file dialog, from outside the program.
void OpenSettings(const TarnwickSession& session, const std::wstring& path) {
    session.Command(40101);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (dialog = testsupport::MessageBoxWatcher::FindBox(session.ProcessId())) != nullptr; }, 10000));
    Sleep(300);  // let the dialog fill its folder view
    HWND combo = GetDlgItem(dialog, cmb13);
    HWND field = GetDlgItem(dialog, edt1) ? GetDlgItem(dialog, edt1) : FindWindowExW(combo, nullptr, L"Edit", nullptr);
    SendMessageW(field ? field : combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

// The claim moves with the file the frame shows: the one opened is this instance's, the one left
// is free for a start of its own.
TEST(SingleInstance, AFileOpenedInTheFrameTakesTheClaimAlong) {
    ScratchDirectory dir;
    std::wstring a = dir.Write(L"a.tnkx", Processes(ProbeEntry("A", "sleep 60000")));
    std::wstring b = dir.Write(L"b.tnkx", Processes(ProbeEntry("B", "sleep 60000")));
    TarnwickSession first(Quoted(a));
    ASSERT_NE(nullptr, first.Frame());
    OpenSettings(first, b);
    ASSERT_TRUE(WaitUntil([&] { return first.Child(L"B") != nullptr; }, 10000));
    TarnwickSession onB(Quoted(b));
    ExpectHandedOver(onB);
    TarnwickSession onA(Quoted(a));
    EXPECT_NE(nullptr, onA.Frame());
}

}  // namespace
