#pragma once

#include <windows.h>
#include <tlhelp32.h>

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
    std::wstring exe;
    for (const ProcessEntry& e : list) {
        if (e.id == root) {
            exe = e.exe;
        }
    }
    for (bool found = true; found;) {
        found = false;
        for (const ProcessEntry& e : list) {
            if (e.parent == chain.back() && e.id != chain.back() && lstrcmpiW(e.exe.c_str(), exe.c_str()) == 0) {
                chain.push_back(e.id);
                found = true;
                break;
            }
        }
    }
    return chain;
}

// Waits until the chain below root is length processes long.
inline std::vector<DWORD> WaitForChain(DWORD root, size_t length, DWORD timeoutMs = 20000) {
    DWORD start = GetTickCount();
    std::vector<DWORD> chain = Chain(root);
    while (chain.size() < length && GetTickCount() - start < timeoutMs) {
        Sleep(50);
        chain = Chain(root);
    }
    return chain;
}

// How many running processes have this program file name (e.g. L"ProcessProbe.exe").
inline int CountProcesses(const std::wstring& exe) {
    int count = 0;
    for (const ProcessEntry& e : ListProcesses()) {
        count += lstrcmpiW(e.exe.c_str(), exe.c_str()) == 0 ? 1 : 0;
    }
    return count;
}

}  // namespace testsupport
