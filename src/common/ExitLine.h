#pragma once

#include <cstdint>
#include <string>

// The line that closes a run in its window, after the footer, and the status bar's note of the
// same end: how the run ended and how long it lasted. Plain text arithmetic, tested natively.
//   ended by itself  "Exit code 3 (0x00000003), ran 0:00:02.5, ended by itself"
//   stopped          "Stopped, ran 0:00:02.5" (no code: the one the stop left means nothing)
//   restarted        "Stopped, ran 0:00:02.5, ended for a restart"
//   asked, not done  "Stopped after the timeout, ran 0:00:12.5" (a graceful stop that had to end
//                    the run), and the same with ", ended for a restart"
//   failed launch    "failed to start: <reason>"
class ExitLine {
public:
    enum class Reason { ByItself, Stopped, Restarted, FailedToStart, StoppedAfterTimeout, RestartedAfterTimeout };

    // The line with its line end; failure is the reason of a failed launch (else unused).
    static std::wstring Format(uint32_t exitCode,
                               uint64_t durationMs,
                               Reason reason,
                               const std::wstring& failure = std::wstring());
    // The status bar's words for the same end, without the duration: "exit code 3 (0x00000003),
    // ended by itself", "stopped", "stopped, ended for a restart", "failed to start: <reason>",
    // "stopped after the timeout" (with ", ended for a restart" for a restart).
    static std::wstring Note(uint32_t exitCode, Reason reason, const std::wstring& failure = std::wstring());
    // The reason of a failed launch from the failure's message: program, then the message's
    // lines after its "Class::Operation()" line, each trimmed, joined by ": ".
    static std::wstring FailureReason(const std::wstring& program, const std::wstring& message);
    // "3 (0x00000003)"
    static std::wstring Code(uint32_t exitCode);
    // "h:mm:ss.t"
    static std::wstring Duration(uint64_t durationMs);
    // The reason a stop that had to end the run at its timeout leaves: Stopped and Restarted
    // become their "after the timeout" forms; any other reason stays.
    static Reason AfterTimeout(Reason reason);
};
