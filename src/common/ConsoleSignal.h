#pragma once

#include <windows.h>

#include "common/IConsoleSignal.h"

// Console control events for real. This program is a window program with no console of its own:
// to signal a run it attaches to the run's console, generates the event for every process on it
// and detaches again. A process has one console at a time, so one signal is sent at a time, under
// one process-wide lock. Generating the event also reaches this program while it is attached:
// InstallHandler, called once at the start, makes it ignore Ctrl+C and Ctrl+Break for good.
class ConsoleSignal : public IConsoleSignal {
public:
    bool Send(DWORD processId, StopSettings::Console console) override;

    // Installs the handler that keeps this program alive when it signals a run; never removed
    // (an event may still be on its way when the signal call has returned). Once only.
    static void InstallHandler();
    // The one instance the program uses.
    static ConsoleSignal& Instance();
};
