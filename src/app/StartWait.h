#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/RunReadiness.h"
#include "common/StartOrderSettings.h"

// A process window's part in the start order.
//
// As a later entry, its automatic start may wait until the current run of the entry it starts
// after is ready (the frame finds out when, and calls StartDue); a Start or Stop given by hand
// ends the wait. As an earlier entry, it keeps its own current run's readiness: the child's
// output is fed on the reader thread, everything else happens on the window's thread.
class StartWait {
public:
    struct Hooks {
        std::function<void(const wchar_t*)> log;  // a line for the window's output
        std::function<void()> start;              // starts the window's process
        std::function<void()> changed;            // the window's state changed (waiting or not)
        std::function<void()> notify;             // the frame should look for entries due to start
    };

    explicit StartWait(Hooks hooks);

    // An automatic start of an entry with these settings: with "after" it waits from now (true),
    // and says so; without, it does not wait (false).
    bool Begin(const StartOrderSettings& order);
    // The entry waited for is ready: the automatic start happens now.
    void StartDue();
    // A Stop: the wait is over, and the window says so.
    void Stop();
    // A Start by hand, or a new process: the wait is simply over.
    void Cancel() { waiting = false; }
    // A reload changed only the start order: a wait follows it as it is now.
    void Follow(const StartOrderSettings& order);
    bool IsWaiting() const { return waiting; }
    // "Waiting for "<title>" since hh:mm:ss", the local time the wait began; empty when not waiting.
    std::wstring GetText() const;

    // The window's own current run started, or ended (succeeded: by itself with exit code 0).
    void RunStarted();
    void RunEnded(bool succeeded);
    // The window's process goes or is replaced: no run, no wait.
    void Forget();
    // The current run's output, on the reader thread; true when a watched text was found first.
    bool Feed(const wchar_t* output);
    RunReadiness& GetReadiness() { return readiness; }

private:
    Hooks hooks;
    bool waiting;
    std::wstring predecessor;
    SYSTEMTIME since;
    RunReadiness readiness;
};
