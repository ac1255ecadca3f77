#include "common/JobObject.h"

#include "common/TerminateProcessTree.h"

JobObject::JobObject() : job(nullptr) {
    className = L"JobObject";
}

JobObject::~JobObject() {
    Close();
}

bool JobObject::Create() {
    Close();
    job = CreateJobObjectW(nullptr, nullptr);  // no security attributes: not inheritable
    if (!job) {
        return false;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    // Neither JOB_OBJECT_LIMIT_BREAKAWAY_OK nor ..._SILENT_BREAKAWAY_OK: every descendant stays.
    // A process that crashes ends at once instead of waiting in the system's error reporting,
    // which would keep its run going for good.
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    if (!SetLimits(limits)) {
        Close();
        return false;
    }
    return true;
}

bool JobObject::SetLimits(JOBOBJECT_EXTENDED_LIMIT_INFORMATION& limits) {
    return SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits)) != FALSE;
}

bool JobObject::Assign(HANDLE process) {
    return job && AssignProcessToJobObject(job, process);
}

long JobObject::ActiveProcesses() const {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    if (!job || !QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof(accounting),
                                           nullptr)) {
        return -1;
    }
    return static_cast<long>(accounting.ActiveProcesses);
}

bool JobObject::ProcessIds(std::vector<DWORD>& ids, DWORD capacity) const {
    ids.clear();
    // Processes join between two asks: a few rounds, each sized from the last count, suffice.
    for (int attempt = 0; job && attempt < 8; ++attempt) {
        std::vector<char> buffer(sizeof(JOBOBJECT_BASIC_PROCESS_ID_LIST) + capacity * sizeof(ULONG_PTR));
        auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
        if (QueryInformationJobObject(job, JobObjectBasicProcessIdList, list, static_cast<DWORD>(buffer.size()),
                                      nullptr)) {
            for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i) {
                ids.push_back(static_cast<DWORD>(list->ProcessIdList[i]));
            }
            return true;
        }
        if (GetLastError() != ERROR_MORE_DATA) {
            return false;
        }
        DWORD needed = list->NumberOfAssignedProcesses + 64;
        capacity = needed > capacity ? needed : capacity * 2;
    }
    return false;
}

bool JobObject::OnlyConsoleHostsLeft() const {
    const wchar_t host[] = L"\\conhost.exe";
    const size_t hostLength = sizeof(host) / sizeof(host[0]) - 1;
    std::vector<DWORD> ids;
    if (!ProcessIds(ids)) {
        return false;  // unknown: the run goes on
    }
    for (DWORD id : ids) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        wchar_t path[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        bool isHost = process && QueryFullProcessImageNameW(process, 0, path, &length) && length >= hostLength &&
                      lstrcmpiW(path + length - hostLength, host) == 0;
        if (process) {
            CloseHandle(process);
        }
        if (!isHost) {
            return false;  // the first other process settles it
        }
    }
    return true;
}

bool JobObject::Terminate(UINT exitCode, DWORD waitMs) {
    if (!job) {
        return false;
    }
    // The ids are those of members of the job, which the job keeps from being reused. Without
    // them the job is ended all the same, only without that wait.
    std::vector<DWORD> ids;
    ProcessIds(ids);
    for (DWORD id : ids) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id);
        if (process) {
            WaitUntilProcessStarted(process, 2000);
            CloseHandle(process);
        }
    }
    if (!TerminateJobObject(job, exitCode)) {
        return false;
    }
    WaitUntilEmpty(waitMs);
    return true;
}

bool JobObject::TerminateNow(UINT exitCode) {
    return job && TerminateJobObject(job, exitCode);
}

DWORD JobObject::LimitFlags() const {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    if (!job || !QueryInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits), nullptr)) {
        return 0;
    }
    return limits.BasicLimitInformation.LimitFlags;
}

bool JobObject::WaitUntilEmpty(DWORD waitMs) const {
    ULONGLONG start = GetTickCount64();
    for (;;) {
        long active = ActiveProcesses();
        if (active <= 0) {
            return active == 0;
        }
        if (GetTickCount64() - start >= waitMs) {
            return false;
        }
        Sleep(1);
    }
}

void JobObject::Close() {
    if (job) {
        CloseHandle(job);
        job = nullptr;
    }
}
