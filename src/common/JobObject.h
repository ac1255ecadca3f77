#pragma once

#include <windows.h>

#include <vector>

#include "util/Object.h"

// The job object that holds every process of one run. Closing it ends them all (also when this
// program itself ends abnormally), no process of the run may break away from it, and one that
// crashes ends at once. The handle
// is never inheritable: a child holding it would keep its own run alive.
class JobObject : public Object {
public:
    JobObject();
    ~JobObject() override;
    JobObject(const JobObject&) = delete;
    JobObject& operator=(const JobObject&) = delete;

    // Makes a new job (closing one still held); false when the system makes none.
    bool Create();
    // Puts a process (created suspended) into the job; false where jobs cannot nest.
    bool Assign(HANDLE process);
    bool IsOpen() const { return job != nullptr; }
    // Processes of the job that have not ended; -1 when the job cannot be asked.
    long ActiveProcesses() const;
    // No process of the job is left but console hosts ("conhost.exe"), which the system gives
    // console programs and which end on their own once their programs have.
    bool OnlyConsoleHostsLeft() const;
    // Ends every process of the job and waits, at most waitMs, until none is left. A process
    // still setting itself up is given time to finish that first.
    bool Terminate(UINT exitCode, DWORD waitMs);
    // Ends every process of the job and returns at once (a caller that must not wait).
    bool TerminateNow(UINT exitCode);
    // The job's limit flags as the system has them; 0 when it cannot be asked.
    DWORD LimitFlags() const;
    // Waits at most waitMs until the job is empty; true when it is.
    bool WaitUntilEmpty(DWORD waitMs) const;
    void Close();
    // The ids of the job's processes, asked first with room for capacity of them and again with
    // the room the job says it needs; false when the job cannot be asked (ids then stays empty,
    // which never stands for an empty job).
    bool ProcessIds(std::vector<DWORD>& ids, DWORD capacity = 1024) const;

protected:
    // Gives the new job its limits. A seam: tests see the limits where the system does not
    // report them back (Wine answers a query of them with none).
    virtual bool SetLimits(JOBOBJECT_EXTENDED_LIMIT_INFORMATION& limits);

private:
    HANDLE job;
};
