#pragma once

namespace util {
namespace logging {
class ILogger;
}
}  // namespace util

// Root of every class of the program: a class-name text and a logger that is not owned.
class Object {
public:
    Object();
    virtual ~Object();

    // Stores the logger (not owned) and returns it.
    virtual util::logging::ILogger* SetLogger(util::logging::ILogger* newLogger);

    const wchar_t* GetObjectClassName() const { return className; }
    util::logging::ILogger* GetLogger() const { return logger; }

protected:
    const wchar_t* className;
    util::logging::ILogger* logger;  // not owned
};
