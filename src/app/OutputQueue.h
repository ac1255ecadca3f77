#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/CriticalSection.h"

class Thread;

// Text on its way from a reader thread to a window. Readers append and go on; the window takes
// everything pending in one go when it gets to it, so a fast child costs the window one insert
// per turn of its message loop instead of one per chunk. Pending text is bounded: a reader that
// finds the bound reached waits until the window has taken it, or until its stop is requested.
class OutputQueue {
public:
    // Wakes the window (posts it a message); false when that failed, as it does with a full queue.
    using WakeUp = std::function<bool()>;

    // capacity: the number of pending characters at which readers wait. wakeUp may be empty (no
    // window to wake).
    OutputQueue(size_t capacity, WakeUp wakeUp);
    ~OutputQueue();
    OutputQueue(const OutputQueue&) = delete;
    OutputQueue& operator=(const OutputQueue&) = delete;

    // Appends text and wakes the window when the queue was idle (one wake-up is outstanding at a
    // time; a failed one is tried again by the next Push, and every second by a reader waiting for
    // room). Waits first while the bound is reached, until the window takes the text or the
    // writer's stop is requested; text is never dropped. With mayWait false
    // it never waits. writer is the worker thread calling (may be null): its stop ends the wait.
    void Push(const wchar_t* text, Thread* writer, bool mayWait = true);
    // Moves all pending text into target (emptied first) and lets waiting readers go on. True when
    // there was text: readers still do not wake the window, which must come back by itself (a
    // stream of posted wake-ups would outrank the user's input). False when there was none: the
    // next Push wakes the window again.
    bool TakeAll(std::wstring& target);
    // Forgets pending text (the window was cleared or its process replaced).
    void Discard();

    size_t GetCapacity() const { return capacity; }

private:
    void WaitForRoom(Thread* writer);
    // With the lock held: wakes the window unless a wake-up is outstanding.
    void WakeUpOnce();

    const size_t capacity;
    const WakeUp wakeUp;
    CriticalSection lock;
    std::wstring pending;
    bool wakeUpPosted;
    HANDLE roomEvent;  // manual reset: signalled while pending is below capacity
};
