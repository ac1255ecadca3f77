#pragma once

namespace util {
namespace logging {

// Receives text: a null-terminated UTF-16 string owned by the caller, valid only during the call.
// The logger adds no line breaks of its own.
class ILogger {
public:
    virtual void Log(const wchar_t* text) = 0;
    // The program's own text about a run (its debug block, exit, restart and stop lines) rather
    // than the child's output: the same to most loggers; a view shows it in its own colours.
    virtual void LogOwnText(const wchar_t* text) { Log(text); }
    virtual ~ILogger() = default;
};

}  // namespace logging
}  // namespace util
