#pragma once

#include <cstdint>
#include <string>

#include "common/StopSettings.h"

// The lines a graceful stop writes into the run's output, one per step, each with its line end:
//   "Stopping: sent Ctrl+C"                      (or Ctrl+Break)
//   "Stopping: could not send Ctrl+C: <reason>"
//   "Stopping: sent WM_CLOSE to 2 windows"       ("to 1 window"; "no window to send WM_CLOSE to")
//   "Stopping: stop command ended with exit code 0"
//   "Stopping: stop command failed to start: <reason>"
//   "Stopping: still running after 10.0 s, ending it"
// Plain text, tested natively.
class StopLine {
public:
    static std::wstring Signal(StopSettings::Console console);
    static std::wstring SignalFailed(StopSettings::Console console, const std::wstring& reason);
    static std::wstring WindowsClosed(size_t count);
    // The code in decimal: the stop program's own convention, which a user compares with its docs.
    static std::wstring CommandEnded(uint32_t exitCode);
    static std::wstring CommandFailed(const std::wstring& reason);
    // The timeout in seconds with one decimal.
    static std::wstring TimedOut(uint32_t timeoutMs);
    // "Ctrl+C", "Ctrl+Break"; empty for none.
    static const wchar_t* SignalName(StopSettings::Console console);
};
