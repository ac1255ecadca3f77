#pragma once

#include <cstdint>
#include <string>

// Told when a Thread starts (true) and when its run has ended (false), once each per run.
// Called on the thread that starts it, or on the worker itself when the run ends: implementations
// must not assume the GUI thread.
class IThreadObserver {
public:
    virtual void ThreadStateChanged(bool running) = 0;
    // A failure the worker did not expect, with its message; called on the worker, before the
    // run's end is told. Observers that do not show it leave it to the debugger output.
    virtual void ThreadFailed(const std::wstring& message) { static_cast<void>(message); }
    // A run ended by itself with an exit code other than 0; called on the worker once per such
    // run, after its exit line (the restart policy may start another run of the same thread).
    virtual void RunFailed(uint32_t exitCode) { static_cast<void>(exitCode); }
    virtual ~IThreadObserver() = default;
};
