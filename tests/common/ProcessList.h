#pragma once

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <string>
#include <vector>

namespace testsupport {

struct ProcessEntry {
    DWORD id;
    DWORD parent;
    std::wstring exe;
};

inline std::vector<ProcessEntry> ListProcesses() {
    std::vector<ProcessEntry> list;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return list;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        list.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
        entry.dwSize = sizeof(entry);
    }
    CloseHandle(snapshot);
    return list;
}

// The chain root, its first child, that child's first child ... as far as it goes. Only
// children with the root's program name count (Wine gives console programs a conhost.exe child).
inline std::vector<DWORD> Chain(DWORD root) {
    std::vector<DWORD> chain{root};
    std::vector<ProcessEntry> list = ListProcesses();
    auto self = std::find_if(list.begin(), list.end(), [&](const ProcessEntry& e) { return e.id == root; });
    std::wstring exe = self == list.end() ? L"" : self->exe;
    auto child = [&](const ProcessEntry& e) {
        return e.parent == chain.back() && e.id != chain.back() && lstrcmpiW(e.exe.c_str(), exe.c_str()) == 0;
    };
    for (auto next = std::find_if(list.begin(), list.end(), child); next != list.end();
         next = std::find_if(list.begin(), list.end(), child)) {
        chain.push_back(next->id);
    }
    return chain;
}

// Waits until the chain below root is length processes long.
inline std::vector<DWORD> WaitForChain(DWORD root, size_t length, DWORD timeoutMs = 20000) {
    std::vector<DWORD> chain;
    for (DWORD start = GetTickCount(); (chain = Chain(root)).size() < length && GetTickCount() - start < timeoutMs;) {
        Sleep(50);
    }
    return chain;
}

// Puts this test program into a job of its own (once), so that every process it starts, and
// every process those start, can be found again even after their parents have gone. Tests run
// in parallel, so a count by name over the whole system would see other tests' children.
inline HANDLE TestJob() {
    static HANDLE job = [] {
        HANDLE created = CreateJobObjectW(nullptr, nullptr);
        AssignProcessToJobObject(created, GetCurrentProcess());
        return created;
    }();
    return job;
}

// How many running processes started from this test program have this program file name.
inline int CountProcesses(const std::wstring& exe) {
    std::vector<char> buffer(sizeof(JOBOBJECT_BASIC_PROCESS_ID_LIST) + 1024 * sizeof(ULONG_PTR));
    auto* ids = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
    if (!QueryInformationJobObject(TestJob(), JobObjectBasicProcessIdList, ids, static_cast<DWORD>(buffer.size()),
                                   nullptr)) {
        return -1;
    }
    int count = 0;
    for (const ProcessEntry& e : ListProcesses()) {
        for (DWORD i = 0; i < ids->NumberOfProcessIdsInList; ++i) {
            if (ids->ProcessIdList[i] == e.id && lstrcmpiW(e.exe.c_str(), exe.c_str()) == 0) {
                ++count;
            }
        }
    }
    return count;
}

// How many handles this program holds, found by asking about every possible value (Wine does not
// keep the count that GetProcessHandleCount would give).
inline size_t OpenHandleCount() {
    size_t count = 0;
    for (ULONG_PTR value = 4; value < 65536; value += 4) {
        DWORD flags = 0;
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    }
    return count;
}

// Joins the job before the first child is started.
static const HANDLE joinedTestJob = TestJob();

}  // namespace testsupport
