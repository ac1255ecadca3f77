#include "common/TerminateProcessTree.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "common/JobObject.h"
#include "common/ProcessList.h"
#include "support/ChildRun.h"
#include "support/TestPaths.h"

namespace {

std::wstring Probe(const std::wstring& arguments) {
    return L"\"" + testsupport::HelperPath(L"ProcessProbe.exe") + L"\" " + arguments;
}

ULONGLONG ExitTime(HANDLE process) {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    return (static_cast<ULONGLONG>(exited.dwHighDateTime) << 32) | exited.dwLowDateTime;
}

TEST(TerminateProcessTree, EndsAThreeLevelTreeDeepestFirstAndSparesItsSibling) {
    testsupport::ChildRun sibling(Probe(L"sleep 60000"));
    testsupport::ChildRun root(Probe(L"spawn 2 60000"));
    ASSERT_TRUE(sibling.Started() && root.Started());
    std::vector<DWORD> chain = testsupport::WaitForChain(root.ProcessId(), 3);
    ASSERT_EQ(3u, chain.size());
    std::vector<HANDLE> handles;
    for (DWORD id : chain) {
        HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        ASSERT_NE(nullptr, h);
        handles.push_back(h);
    }
    EXPECT_NE(0, TerminateProcessTree(root.ProcessId()));
    for (HANDLE h : handles) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 5000));
    }
    // Grandchild, then child, then the root.
    EXPECT_LE(ExitTime(handles[2]), ExitTime(handles[1]));
    EXPECT_LE(ExitTime(handles[1]), ExitTime(handles[0]));
    EXPECT_EQ(0u, root.ExitCode());
    EXPECT_EQ(0, TerminateProcessTree(root.ProcessId()));  // once ended: zero, and nothing raised
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(sibling.ProcessHandle(), 200));
    for (HANDLE h : handles) {
        CloseHandle(h);
    }
}

// A console program started without a window gets a console host of its own, which may still
// be setting itself up when its parent's start returns. Ending it at that moment once brought
// Wine's server down, with every program in it.
TEST(TerminateProcessTree, ATreeEndedRightAfterItsStartEndsCleanly) {
    for (int round = 0; round < 12; ++round) {
        testsupport::ChildRun tree(Probe(L"spawn 1 60000"));  // started without a window
        ASSERT_TRUE(tree.Started());
        Sleep(static_cast<DWORD>(round * 9));
        EXPECT_NE(0, TerminateProcessTree(tree.ProcessId())) << "round " << round;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(tree.ProcessHandle(), 5000)) << "round " << round;
    }
    // A process ended too early goes on setting itself up for a while; the server's fall came
    // only then. Give it that time before checking that programs still start and run.
    Sleep(1500);
    testsupport::ChildRun after(Probe(L"exit 7"));
    ASSERT_TRUE(after.Wait());
    EXPECT_EQ(7u, after.ExitCode());
}

DWORD unopenable = 0;
HANDLE WINAPI OpenAllBut(DWORD access, BOOL inherit, DWORD id) {
    return id == unopenable ? nullptr : OpenProcess(access, inherit, id);
}

// A child that cannot be opened cannot be told from a stranger that got its id after it ended:
// the walk follows it no further, so what is listed under that id now is left alone.
TEST(TerminateProcessTree, AChildThatCannotBeOpenedIsNotFollowed) {
    testsupport::ChildRun root(Probe(L"spawn 2 60000"));
    ASSERT_TRUE(root.Started());
    std::vector<DWORD> chain = testsupport::WaitForChain(root.ProcessId(), 3);
    ASSERT_EQ(3u, chain.size());
    HANDLE below = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, chain[2]);
    // Once it has a process open the walk checks its parent again: the one it listed may be gone.
    EXPECT_TRUE(RecordedParentIs(below, chain[1]));
    EXPECT_FALSE(RecordedParentIs(below, chain[0]));
    unopenable = chain[1];
    openProcessForTree = &OpenAllBut;
    EXPECT_NE(0, TerminateProcessTree(root.ProcessId()));
    openProcessForTree = &OpenProcess;
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(below, 300));
    EXPECT_NE(0, TerminateProcessTree(chain[1]));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(below, 5000));
    CloseHandle(below);
}

// More processes than the first ask made room for: the list grows instead of coming back empty.
TEST(JobObject, ListsMoreProcessesThanItFirstMadeRoomFor) {
    testsupport::ChildRun a(Probe(L"sleep 60000")), b(Probe(L"sleep 60000")), c(Probe(L"sleep 60000"));
    JobObject job;
    ASSERT_TRUE(job.Create());
    std::vector<DWORD> ids;
    for (testsupport::ChildRun* run : {&a, &b, &c}) {
        ASSERT_TRUE(job.Assign(run->ProcessHandle()));
    }
    ASSERT_TRUE(job.ProcessIds(ids, 1));
    for (testsupport::ChildRun* run : {&a, &b, &c}) {
        EXPECT_EQ(1, std::count(ids.begin(), ids.end(), run->ProcessId()));
    }
    EXPECT_FALSE(job.OnlyConsoleHostsLeft());
    EXPECT_TRUE(job.Terminate(1, 5000));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(c.ProcessHandle(), 0));
}

}  // namespace
