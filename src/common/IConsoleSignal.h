#pragma once

#include <windows.h>

#include "common/StopSettings.h"

// Sends a console control event to the console of one run. A seam: the system does it for real
// (ConsoleSignal), tests record what was asked and act it out, since Wine delivers no console
// control events.
class IConsoleSignal {
public:
    // Sends the event to every process on the console of the process processId; false (with the
    // system's last error set) when it could not be sent.
    virtual bool Send(DWORD processId, StopSettings::Console console) = 0;
    virtual ~IConsoleSignal() = default;
};
