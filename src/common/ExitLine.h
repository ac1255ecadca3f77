#pragma once

#include <cstdint>
#include <string>

// The line that closes a run in its window, after the footer: how the run's direct child ended,
// how long the run lasted and why it ended. Plain text arithmetic, tested natively.
class ExitLine {
public:
    enum class Reason { ByItself, Stopped, Restarted };

    // "Exit code 3, ran 0:00:02.5, ended by itself\r\n"; codes with the NTSTATUS severity bits
    // also in hexadecimal: "Exit code 3221225477 (0xC0000005), ...". A stopped run is said to be
    // stopped whatever code the kill left.
    static std::wstring Format(uint32_t exitCode, uint64_t durationMs, Reason reason);
    // "3", or "3221225477 (0xC0000005)" for a status.
    static std::wstring Code(uint32_t exitCode);
    // "h:mm:ss.t"
    static std::wstring Duration(uint64_t durationMs);
};
