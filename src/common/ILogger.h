#pragma once

namespace util {
namespace logging {

// Receives text: a null-terminated UTF-16 string owned by the caller, valid only during the call.
// The logger adds no line breaks of its own.
class ILogger {
public:
    virtual void Log(const wchar_t* text) = 0;
    // Text the child itself wrote, as opposed to the lines this program writes around it (those
    // come through Log). Loggers that make no difference log it as any other text.
    virtual void LogOutput(const wchar_t* text) { Log(text); }
    virtual ~ILogger() = default;
};

}  // namespace logging
}  // namespace util
