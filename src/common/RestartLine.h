#pragma once

#include <cstdint>
#include <string>

#include "common/RestartPolicy.h"

// The lines the restart policy writes into the run's output, each with its line end:
//   Restart policy "always" after exit code 3 (0x00000003): starting again in 2 s, at 14:02:07.
//   Restart policy "on-failure" after a failed start: starting again in 1 s, at 14:02:07.
//   Restart policy "never" now: not starting again.
// Plain text: the caller reads the clock.
class RestartLine {
public:
    // after: what ended the launch ("exit code 3 (0x00000003)", "a failed start"); hour, minute
    // and second: the local time the new launch is due at.
    static std::wstring Announced(RestartPolicy::Mode mode,
                                  const std::wstring& after,
                                  uint64_t delayMs,
                                  int hour,
                                  int minute,
                                  int second);
    // The policy changed during the wait to one that does not start this run again.
    static std::wstring CalledOff(RestartPolicy::Mode mode);
};
