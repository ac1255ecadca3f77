#pragma once

namespace util {
namespace logging {

// Receives text: a null-terminated UTF-16 string owned by the caller, valid only during the call.
// The logger adds no line breaks of its own.
class ILogger {
public:
    virtual void Log(const wchar_t* text) = 0;
    virtual ~ILogger() = default;
};

}  // namespace logging
}  // namespace util
