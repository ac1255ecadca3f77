#pragma once

#include <windows.h>

#include <functional>

namespace util {
namespace version {

// Runs work on a thread of its own while the caller keeps dispatching its window messages, and
// waits for it at most limitMs (INFINITE: until it ends). Work that outlasts the limit is
// abandoned, not stopped: it must own (share) everything it touches. A quit message that
// arrives meanwhile is posted again for the caller's own loop.
class BackgroundTask {
public:
    // True when work ended within the limit.
    static bool Run(std::function<void()> work, DWORD limitMs);

private:
    static bool WaitDispatching(HANDLE done, DWORD limitMs);
};

}  // namespace version
}  // namespace util
