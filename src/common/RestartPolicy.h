#pragma once

#include <cstdint>
#include <string>

// When a run that ended by itself is started again, and after how long. The wait backs off
// (1 s, 2 s, 4 s ... up to 60 s) while runs keep failing quickly, and starts again at 1 s after
// a run that lasted a minute. Plain arithmetic on durations the caller measures, tested natively.
class RestartPolicy {
public:
    enum class Mode { Never, OnFailure, Always };

    static const uint64_t FirstDelayMs = 1000;
    static const uint64_t LongestDelayMs = 60000;
    static const uint64_t SteadyRunMs = 60000;

    explicit RestartPolicy(Mode mode = Mode::Never) : mode(mode), nextDelay(FirstDelayMs) {}

    // "never", "on-failure" or "always" in any letter case; false for anything else.
    static bool Parse(const std::wstring& text, Mode& mode);
    static const wchar_t* Name(Mode mode);

    Mode GetMode() const { return mode; }
    void SetMode(Mode newMode) { mode = newMode; }
    // Whether a run that ended by itself with this code is started again.
    bool Applies(uint32_t exitCode) const;
    // Whether a launch that failed to start is tried again: a failure for both policies.
    bool AppliesAfterFailedStart() const { return mode != Mode::Never; }
    // The wait before the restart of a run that lasted runMs; each call backs off further.
    uint64_t NextDelay(uint64_t runMs);
    // A manual start begins the back-off anew.
    void Reset() { nextDelay = FirstDelayMs; }

private:
    Mode mode;
    uint64_t nextDelay;
};
