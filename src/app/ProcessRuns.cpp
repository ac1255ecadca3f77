#include "app/ProcessRuns.h"

#include "common/ILogger.h"
#include "common/Process.h"
#include "util/Exception.h"

namespace {

// Where the output of a process left behind goes: nowhere.
class Discard : public util::logging::ILogger {
public:
    void Log(const wchar_t*) override {}
};

}  // namespace

ProcessRuns::ProcessRuns(Report report) : report(std::move(report)), process(nullptr) {}

bool ProcessRuns::IsCurrentRunning() const {
    return process && process->IsRunning();
}

int ProcessRuns::Count() const {
    return (IsCurrentRunning() ? 1 : 0) + (retiring && retiring->IsRunning() ? 1 : 0);
}

bool ProcessRuns::StopRequested() const {
    return retiring || (process && process->StopAsked());
}

void ProcessRuns::Terminate() {
    for (Process* ending : {process, retiring.get()}) {
        if (ending && ending->IsRunning()) {
            try {
                ending->Terminate();
            } catch (Exception* e) {
                report(e);
            }
        }
    }
}

void ProcessRuns::SetCurrent(Process* made) {
    process = made;
}

bool ProcessRuns::Retire(DWORD waitMs) {
    if (!process) {
        return false;
    }
    std::unique_ptr<Process> old(process);
    process = nullptr;
    if (old->IsRunning()) {
        try {
            old->Terminate();
        } catch (Exception* e) {
            report(e);
        }
    }
    if (!old->IsRunning()) {
        Dispose(old.release(), waitMs);  // ended already: only leaving its thread
        return false;
    }
    if (retiring) {
        // Replaced twice while the first run still ends: that one is waited for now.
        Dispose(retiring.release(), waitMs);
    }
    retiring = std::move(old);
    return true;
}

void ProcessRuns::DisposeEnded(DWORD waitMs) {
    if (retiring && !retiring->IsRunning()) {
        Dispose(retiring.release(), waitMs);  // it has told its end: only leaving its thread
    }
}

Exception* ProcessRuns::Release(DWORD waitMs) {
    // Also called from a destructor: a failure must not leave here before the processes are gone
    // (their workers are stopped all the same).
    Exception* failure = nullptr;
    for (Process* ending : {process, retiring.get()}) {
        if (ending && ending->IsRunning()) {
            try {
                ending->Terminate();
            } catch (Exception* e) {
                delete failure;
                failure = e;
            }
        }
    }
    Dispose(process, waitMs);
    Dispose(retiring.release(), waitMs);
    process = nullptr;
    return failure;
}

Process* ProcessRuns::Calling() const {
    DWORD self = GetCurrentThreadId();
    Process* writer = process ? process->WriterOn(self) : nullptr;
    return writer ? writer : retiring ? retiring->WriterOn(self) : nullptr;
}

void ProcessRuns::Dispose(Process* ending, DWORD waitMs) {
    if (!ending) {
        return;
    }
    if (ending->IsRunning()) {
        ending->Stop();
    }
    if (ending->WaitForEnd(waitMs)) {
        delete ending;
        return;
    }
    // Its worker still runs and uses the object: it is left to the system, which ends the
    // thread with the program, and it no longer reaches this window.
    static Discard discard;
    ending->SetObserver(nullptr);
    ending->SetLogger(&discard);
}
