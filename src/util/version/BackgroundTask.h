#pragma once

#include <windows.h>

#include <functional>
#include <memory>

namespace util {
namespace version {

// Runs work on a thread of its own while the caller keeps dispatching its window messages.
// Work that outlasts the caller's wait is abandoned, not stopped: it must own (share)
// everything it touches. An Exception* or anything else thrown by the work is freed and
// dropped; the work reports through what it shares.
class BackgroundTask {
public:
    enum class Ending {
        Finished,  // the work ended
        TimedOut,  // the limit ran out first
        Quit,      // a quit message arrived: it is posted again for the caller's own loop
        Stopped,   // the tick asked to stop waiting
        Failed     // no thread could be made, or the wait itself failed
    };
    // Called on the caller's thread about every tickMs while it waits; false stops the wait.
    using Tick = std::function<bool()>;

    // How the caller waits for the work and its messages (tests give their own).
    using WaitFunction = DWORD(WINAPI*)(DWORD count, const HANDLE* handles, BOOL all, DWORD ms, DWORD wake);

    // Starts work at once.
    explicit BackgroundTask(std::function<void()> work, WaitFunction wait = MsgWaitForMultipleObjects);

    // Waits dispatching messages, at most limitMs (INFINITE: no limit), until the work ends, a
    // quit message arrives or tick says stop.
    Ending Wait(DWORD limitMs, const Tick& tick = Tick(), DWORD tickMs = 100);
    // Waits without dispatching, at most limitMs; true when the work has ended.
    bool WaitQuietly(DWORD limitMs);

    // Starts work and waits for it as Wait does.
    static Ending Run(std::function<void()> work, DWORD limitMs);

private:
    struct Job;
    static unsigned __stdcall Entry(void* shared);  // owns the shared pointer it is given

    std::shared_ptr<Job> job;  // shared with the thread, which may outlive this object
    WaitFunction wait;
    bool started;
};

}  // namespace version
}  // namespace util
