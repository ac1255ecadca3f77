#include "app/ProcessRuns.h"

#include <memory>

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

ProcessRuns::ProcessRuns(Report report) : report(std::move(report)), process(nullptr), retiring(nullptr) {}

ProcessRuns::~ProcessRuns() {
    // Release has normally run; a replaced process that is still here is not leaked.
    delete TakeRetiring();
}

bool ProcessRuns::IsCurrentRunning() const {
    Process* current = process.load();
    return current && current->IsRunning();
}

int ProcessRuns::Count() const {
    Process* replaced = retiring.load();
    return (IsCurrentRunning() ? 1 : 0) + (replaced && replaced->IsRunning() ? 1 : 0);
}

bool ProcessRuns::StopRequested() const {
    Process* current = process.load();
    return retiring.load() || (current && current->StopAsked());
}

void ProcessRuns::Terminate() {
    for (Process* ending : {process.load(), retiring.load()}) {
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
    std::unique_ptr<Process> old(process.exchange(nullptr));
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
    if (retiring.load()) {
        // Replaced twice while the first run still ends: that one is waited for now.
        Dispose(TakeRetiring(), waitMs);
    }
    retiring = old.release();
    return true;
}

void ProcessRuns::DisposeEnded(DWORD waitMs) {
    Process* replaced = retiring.load();
    if (replaced && !replaced->IsRunning()) {
        Dispose(TakeRetiring(), waitMs);  // it has told its end: only leaving its thread
    }
}

Exception* ProcessRuns::Release(DWORD waitMs) {
    // Also called from a destructor: a failure must not leave here before the processes are gone
    // (their workers are stopped all the same).
    Exception* failure = nullptr;
    for (Process* ending : {process.load(), retiring.load()}) {
        if (ending && ending->IsRunning()) {
            try {
                ending->Terminate();
            } catch (Exception* e) {
                delete failure;
                failure = e;
            }
        }
    }
    Dispose(process.exchange(nullptr), waitMs);
    Dispose(TakeRetiring(), waitMs);
    return failure;
}

Process* ProcessRuns::Calling() const {
    // The caller's own process lasts while its worker runs (a process is deleted only once its
    // worker has ended), so it alone may be followed; these runs' pointers are only compared.
    Process* caller = dynamic_cast<Process*>(Thread::Calling());
    if (!caller) {
        return nullptr;
    }
    const Process* run = caller->RunServed();
    return run == process.load() || run == retiring.load() ? caller : nullptr;
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
