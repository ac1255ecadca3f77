#include "common/TerminateProcessTree.h"

#include <windows.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <vector>

#include "util/Exception.h"
#include "util/SystemError.h"

namespace {

// Closes a handle at the end of its scope.
class HandleOwner {
public:
    explicit HandleOwner(HANDLE handle) : handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~HandleOwner() {
        if (handle) {
            CloseHandle(handle);
        }
    }
    HandleOwner(const HandleOwner&) = delete;
    HandleOwner& operator=(const HandleOwner&) = delete;
    HANDLE Get() const { return handle; }

private:
    HANDLE handle;
};

const DWORD OpenRights = PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE;

// The process's creation time; false when it cannot be read.
bool CreationTime(HANDLE process, ULONGLONG& time) {
    FILETIME created, exited, kernel, user;
    if (!process || !GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return false;
    }
    time = (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return true;
}

}  // namespace

HANDLE(WINAPI* openProcessForTree)(DWORD, BOOL, DWORD) = &OpenProcess;

bool RecordedParentIs(HANDLE process, DWORD parentId) {
    PROCESS_BASIC_INFORMATION basic = {};
    ULONG length = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), &length) != 0) {
        return true;
    }
    return static_cast<DWORD>(basic.InheritedFromUniqueProcessId) == parentId;
}

void WaitUntilProcessStarted(HANDLE process, DWORD timeoutMs) {
    ULONGLONG start = GetTickCount64();
    for (;;) {
        PROCESS_BASIC_INFORMATION basic = {};
        ULONG length = 0;
        if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), &length) != 0 ||
            basic.PebBaseAddress != nullptr) {
            return;  // started, or nothing to learn
        }
        if (WaitForSingleObject(process, 5) == WAIT_OBJECT_0 || GetTickCount64() - start >= timeoutMs) {
            return;
        }
    }
}

namespace {

// The ids of the processes whose recorded parent is parentId, in snapshot order.
std::vector<DWORD> ChildrenOf(DWORD parentId) {
    HandleOwner snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Get()) {
        throw new Exception(L"TerminateProcessTree(%x)\n%s", static_cast<unsigned int>(parentId), GetSystemErrorText());
    }
    std::vector<DWORD> children;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ParentProcessID == parentId && entry.th32ProcessID != parentId && entry.th32ProcessID != 0) {
            children.push_back(entry.th32ProcessID);
        }
        entry.dwSize = sizeof(entry);
    }
    return children;
}

// Calls visit(id, handle) with each process whose parent is the given (open) process, held open
// meanwhile, until visit returns false; false then.
template <typename Visit>
bool VisitChildren(DWORD id, HANDLE self, Visit visit) {
    ULONGLONG selfCreated = 0;
    bool selfKnown = CreationTime(self, selfCreated);
    for (DWORD childId : ChildrenOf(id)) {
        HandleOwner child(openProcessForTree(OpenRights, FALSE, childId));
        // The child listed may have ended and its id gone to another process before the open. One
        // that cannot be opened cannot be told from such a stranger (nor ended): its id leads
        // nowhere, not even to the processes now listed under it.
        if (!child.Get() || !RecordedParentIs(child.Get(), id)) {
            continue;
        }
        ULONGLONG childCreated = 0;
        // A "child" older than its parent inherited a parent id that the system has reused since.
        if (selfKnown && CreationTime(child.Get(), childCreated) && childCreated < selfCreated) {
            continue;
        }
        if (!visit(childId, child.Get())) {  // the id stays the child's while we hold it open
            return false;
        }
    }
    return true;
}

// Ends the trees of the processes whose parent is the given (open) process, deepest first.
void EndChildren(DWORD id, HANDLE self) {
    VisitChildren(id, self, [](DWORD childId, HANDLE child) {
        TerminateProcessTree(childId);
        TerminateProcess(child, 0);  // harmless when the call above has ended it
        return true;
    });
}

// Whether a process below the given (open) one still runs.
bool DescendantRuns(DWORD id, HANDLE self) {
    return !VisitChildren(id, self, [](DWORD childId, HANDLE child) {
        return WaitForSingleObject(child, 0) != WAIT_TIMEOUT && !DescendantRuns(childId, child);
    });
}

// Adds the ids of the processes below the given (open) one.
void AddDescendants(DWORD id, HANDLE self, std::vector<DWORD>& ids) {
    VisitChildren(id, self, [&ids](DWORD childId, HANDLE child) {
        ids.push_back(childId);
        AddDescendants(childId, child, ids);
        return true;
    });
}

}  // namespace

std::vector<DWORD> ProcessTreeIds(unsigned long processId) {
    DWORD id = static_cast<DWORD>(processId);
    HandleOwner self(openProcessForTree(OpenRights, FALSE, id));
    std::vector<DWORD> ids(1, id);
    AddDescendants(id, self.Get(), ids);
    return ids;
}

int TerminateProcessTree(unsigned long processId) {
    DWORD id = static_cast<DWORD>(processId);
    // Held through the walk: while it is open the system cannot give the id to another process.
    HandleOwner self(openProcessForTree(OpenRights, FALSE, id));
    EndChildren(id, self.Get());
    // A process that has already ended cannot be ended again (some systems still say yes).
    if (!self.Get() || WaitForSingleObject(self.Get(), 0) == WAIT_OBJECT_0) {
        return 0;
    }
    WaitUntilProcessStarted(self.Get(), 2000);
    int ended = TerminateProcess(self.Get(), 0) ? 1 : 0;
    // Ending is asynchronous: the caller ends the parent only once this one has really gone
    // (deepest first, even on a loaded machine). A child it was creating while we listed its
    // children appears only now; once the process has gone it can start no more, so one more
    // look finds them all.
    if (ended && WaitForSingleObject(self.Get(), 5000) == WAIT_OBJECT_0) {
        EndChildren(id, self.Get());
    }
    return ended;
}

bool ProcessTreeRuns(unsigned long processId) {
    DWORD id = static_cast<DWORD>(processId);
    HandleOwner self(openProcessForTree(OpenRights, FALSE, id));
    if (self.Get() && WaitForSingleObject(self.Get(), 0) == WAIT_TIMEOUT) {
        return true;
    }
    return DescendantRuns(id, self.Get());
}
