#include "common/Process.h"

#include <vector>

#include "common/TerminateProcessTree.h"
#include "util/Exception.h"

// The ending of a run: when its processes are over, how a stop ends them (at once, or through the
// stop steps first), and the release of the child's handles. The launch and the run's lines are
// in Process.cpp.

bool Process::RunOver() {
    if (WaitForSingleObject(childProcess, 0) == WAIT_TIMEOUT) {
        return false;
    }
    if (!jobInUse) {
        return !graceful->IsActive() || !TreeRuns();
    }
    // A job that cannot be asked may still hold processes: the run goes on (a Stop still ends it).
    long active = ActiveJobProcesses();
    return active == 0 || (active > 0 && job.OnlyConsoleHostsLeft());
}

bool Process::TreeRuns() {
    // Looked at now and then: the reader asks every few milliseconds while output flows.
    ULONGLONG now = GetTickCount64();
    if (now - lastTreeLook < 50) {
        return true;
    }
    lastTreeLook = now;
    try {
        return ProcessTreeRuns(processId.load());
    } catch (Exception* e) {
        delete e;  // the processes cannot be listed: the run is its direct child, as it was
        return false;
    }
}

long Process::ActiveJobProcesses() const {
    return job.ActiveProcesses();
}

void Process::EndChildAfterStop() {
    // A Terminate that came before the child's id was known could not end the run, and one that
    // ended the job did not wait for processes still starting: nothing of the run may go on
    // unattended. The child's id cannot go to another process meanwhile: we hold its handle.
    bool due = false;
    {
        CriticalSection::Lock hold(childLock);
        due = !treeEnded && childProcess;
    }
    // Not under the lock: a Terminate meanwhile must not wait for a walk of a large tree.
    if (due) {
        bool ended = EndRunProcesses(false);
        CriticalSection::Lock hold(childLock);
        treeEnded = treeEnded || ended;
    }
}

bool Process::EndRunProcessesNow() {
    if (jobInUse) {
        // Processes still setting themselves up may survive this; the worker ends the job again,
        // waiting for them, once it sees the stop.
        job.TerminateNow(1);
        return false;
    }
    // The child may have ended at the stop steps' request while what it started runs on.
    if (childProcess) {
        EndTree(processId.load());
    }
    return true;
}

bool Process::EndRunProcesses(bool throwOnTreeFailure) {
    if (jobInUse && job.Terminate(1, 1000)) {
        return true;
    }
    if (!childProcess || WaitForSingleObject(childProcess, 0) != WAIT_TIMEOUT) {
        return jobInUse ? ActiveJobProcesses() == 0 : true;
    }
    try {
        EndTree(processId.load());
    } catch (Exception* e) {
        if (throwOnTreeFailure) {
            throw;
        }
        delete e;
        return TerminateProcess(childProcess, 1) != FALSE;  // the process list could not be read: the child at least
    }
    return true;
}

void Process::EndTree(DWORD childId) {
    TerminateProcessTree(childId);
}

void Process::CloseChild() {
    // The process id goes with the handle: once closed, the system may give the id to another
    // process, which Terminate must never aim at.
    CriticalSection::Lock hold(childLock);
    processId = 0;
    childThreadId = 0;
    if (childThread) {
        CloseHandle(childThread);
        childThread = nullptr;
    }
    if (childProcess) {
        CloseHandle(childProcess);
        childProcess = nullptr;
    }
    job.Close();  // empty by now; otherwise closing it ends what is left
    jobInUse = false;
}

void Process::CloseHandles() {
    CloseChild();
    pipe.Close();
}

void Process::EndRequested(ExitLine::Reason reason) {
    Exception* failure = nullptr;
    {
        CriticalSection::Lock hold(childLock);
        if (IsRunning()) {
            endReason = static_cast<int>(reason);
            if (BeginGracefulStop()) {
                return;  // the steps run; the run is ended once their timeout has passed
            }
            if (processId.load() != 0 && !treeEnded) {
                try {
                    treeEnded = EndRunProcessesNow();
                } catch (Exception* e) {
                    failure = e;  // told after the stop: the worker still ends the child itself
                }
            }
        }
    }
    Stop();
    if (failure) {
        throw failure;
    }
}

bool Process::BeginGracefulStop() {
    // A second stop during the wait, or a stop before the child exists, ends the run at once,
    // and the stop program with it (it may be all that is left, once the run itself is over).
    if (graceful->IsActive()) {
        graceful->EndNow();
        return false;
    }
    if (!GracefulStop::Applies(stopSettings) || processId.load() == 0 || treeEnded || StopRequested() ||
        shuttingDown) {
        return false;
    }
    graceful->Begin(stopSettings, processId.load(), *consoleSignal, MakeStopProgram());
    return true;
}

std::unique_ptr<Process> Process::MakeStopProgram() const {
    if (stopSettings.executable.empty()) {
        return nullptr;
    }
    std::unique_ptr<Process> stop(new Process(L"StopProgram"));
    stop->framed = false;
    stop->served = this;
    stop->SetExecutable(stopSettings.executable.c_str());
    stop->SetArguments(stopSettings.arguments.c_str());
    stop->SetWorkingDirectory(workingDirectory);
    stop->SetStartDirectory(startDirectory);
    stop->SetEnvironmentSettings(environmentSettings);
    stop->SetOutputEncoding(outputEncoding);
    stop->SetConsoleHints(consoleHints);
    return stop;
}

std::vector<DWORD> Process::RunProcessIds() {
    CriticalSection::Lock hold(childLock);
    std::vector<DWORD> ids;
    if (jobInUse && job.ProcessIds(ids) && !ids.empty()) {
        return ids;
    }
    if (!jobInUse && processId.load() != 0) {
        try {
            return ProcessTreeIds(processId.load());  // a server the child started has the windows
        } catch (Exception* e) {
            delete e;  // the processes cannot be listed: the child's windows at least
        }
    }
    ids.assign(1, processId.load());
    return ids;
}

void Process::EndAfterTimeout() {
    {
        CriticalSection::Lock hold(childLock);
        int asked = endReason.load();
        if (asked >= 0) {
            endReason = static_cast<int>(ExitLine::AfterTimeout(static_cast<ExitLine::Reason>(asked)));
        }
        if (IsRunning() && processId.load() != 0 && !treeEnded) {
            try {
                treeEnded = EndRunProcessesNow();
            } catch (Exception* e) {
                delete e;  // the tree could not be listed: the worker ends the child itself on the stop
            }
        }
    }
    Stop();
}

bool Process::StopAsked() const {
    return StopRequested() || graceful->IsActive();
}

void Process::Terminate() {
    EndRequested(ExitLine::Reason::Stopped);
}

bool Process::Restart() {
    if (IsRunning()) {
        EndRequested(ExitLine::Reason::Restarted);
        return true;
    }
    Start();
    return false;
}
