#include "app/ProcessWindow.h"

#include <memory>

#include "app/ProcessInfo.h"
#include "common/JavaProcess.h"
#include "common/Process.h"
#include "util/Exception.h"

// The entry a window runs: taking a new or reloaded entry, keeping the run going or replacing its
// process, and the start that follows (at once, after the old run has ended, or when the entry it
// waits for is ready).

void ProcessWindow::SetProcessInfo(ProcessInfo* newInfo) {
    if (newInfo && newInfo == info) {
        return;
    }
    std::unique_ptr<ProcessInfo> previous(info);
    info = nullptr;
    if (!newInfo) {
        ReleaseProcess();
    } else if (!previous || *previous != *newInfo) {
        RetireProcess();
        info = newInfo;
        CreateProcessFor(newInfo);
        if (!newInfo->disabled) {
            // The new run starts once the old one has ended, so that its lines follow the old ones.
            if (runs.HasRetiring()) {
                autoStartWhenEnded = true;
                ShowState();
            } else {
                StartAutomatically(newInfo);
            }
        }
    } else {
        previous->TakeLiveSettings(*newInfo);  // a new restart policy or start order needs no restart
        RescanClasspath();                     // jars added since count from the next launch
        wait.Follow(newInfo->server.order);
    }
    // An equal description keeps the process as it is, running or not.
    info = newInfo;
    if (info) {
        info->process = runs.Current();
    }
}

void ProcessWindow::ReleaseProcess() {
    startWhenEnded = autoStartWhenEnded = false;
    wait.Forget();
    if (!runs.Current() && !runs.HasRetiring()) {
        return;
    }
    // The descriptions share the pointer; the process dies here, with this window's ownership.
    if (info && info->process == runs.Current()) {
        info->process = nullptr;
    }
    // Also called from the destructor: a failure is told once the processes are gone.
    Exception* failure = runs.Release(disposeWaitMs);
    output.Discard();  // the window goes: nothing is left to show it
    if (failure) {
        ShowFailure(failure);
    }
}

void ProcessWindow::RescanClasspath() {
    if (auto* javaProcess = dynamic_cast<java::JavaProcess*>(runs.Current())) {
        javaProcess->RescanClasspath();
    }
}

void ProcessWindow::RetireProcess() {
    if (!runs.Current()) {
        return;
    }
    if (info && info->process == runs.Current()) {
        info->process = nullptr;
    }
    if (runs.Retire(disposeWaitMs)) {
        stopAskedAt = GetTickCount64();
        SetTimer(handle, stoppingTimerId, stoppingAfterMs, nullptr);
    }
}

Process* ProcessWindow::MakeProcess(ProcessInfo& newInfo) {
    return newInfo.GetProcess();
}

void ProcessWindow::CreateProcessFor(ProcessInfo* newInfo) {
    newInfo->process = nullptr;  // a description from a new load never carries another's process
    runs.SetCurrent(MakeProcess(*newInfo));
    runs.Current()->SetLogger(this);
    runs.Current()->SetObserver(this);
    hasRun = false;
    wait.Forget();
    ShowState();
}

bool ProcessWindow::ShowConfigurationError() {
    if (!info || info->configurationError.IsEmpty()) {
        return false;
    }
    Log(L"Configuration error:\r\n");
    Log(info->configurationError.GetBuffer());
    Log(L"\r\nThe process is not started. Correct the configuration and reload it.\r\n");
    return true;
}

void ProcessWindow::StartAutomatically(ProcessInfo* newInfo) {
    if (ShowConfigurationError()) {
        newInfo->modified = false;
        return;
    }
    if (newInfo->start) {
        if (!wait.Begin(newInfo->server.order)) {
            StartCurrent();
        }
    } else {
        Log(L"Process automatic startup is disabled in configuration file.\r\n");
        Log(L"Activate this window and click on Start to launch it.\r\n");
    }
    newInfo->modified = false;
}

void ProcessWindow::StartCurrent() {
    try {
        runs.Current()->Start();
    } catch (Exception* e) {
        ShowFailure(e);
    }
}

void ProcessWindow::TrackRunEnd() {
    Process* process = runs.Current();
    if (process && !process->IsRunning()) {
        wait.RunEnded(process->EndedByItself() && process->GetExitCode() == 0);
    }
}
