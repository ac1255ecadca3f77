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
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        list.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
    }
    CloseHandle(snapshot);  // a failed snapshot is the current process's pseudo handle: harmless
    return list;
}

// Waits until the chain below root (root, its first child, that child's first child ...) is
// length processes long, and returns it. Only children with the root's program name count (Wine
// gives console programs a conhost.exe child).
inline std::vector<DWORD> WaitForChain(DWORD root, size_t length, DWORD timeoutMs = 20000) {
    std::vector<DWORD> chain{root};
    for (DWORD start = GetTickCount(); chain.size() < length && GetTickCount() - start < timeoutMs; Sleep(50)) {
        std::vector<ProcessEntry> list = ListProcesses();
        auto self = std::find_if(list.begin(), list.end(), [&](const ProcessEntry& e) { return e.id == root; });
        chain.assign(1, root);
        for (size_t i = 0; self != list.end() && i < list.size(); ++i) {
            if (list[i].parent == chain.back() && list[i].id != chain.back() &&
                lstrcmpiW(list[i].exe.c_str(), self->exe.c_str()) == 0) {
                chain.push_back(list[i].id);
                i = static_cast<size_t>(-1);  // its own child may be listed before it
            }
        }
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
