#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

// A pointer (not owned) to an object that other threads call, which its owner may replace and
// then free: Set returns once no call through the previous pointer is in progress, and none
// begins after it. Calls never wait for each other, only Set waits for them; so nothing called
// through it may wait for the thread that replaces the pointer.
template <typename T>
class GuardedPointer {
public:
    GuardedPointer() = default;
    GuardedPointer(const GuardedPointer&) = delete;
    GuardedPointer& operator=(const GuardedPointer&) = delete;

    void Set(T* newTarget) {
        std::lock_guard<std::mutex> replacing(replaceLock);
        std::unique_lock<std::mutex> hold(lock);
        target = newTarget;
        size_t previous = generation++ & 1;
        // Calls begun since go to the new target: only those begun before are waited for, so a
        // steady stream of calls cannot hold Set up.
        ended.wait(hold, [this, previous] { return calls[previous] == 0; });
    }

    bool IsSet() {
        std::lock_guard<std::mutex> hold(lock);
        return target != nullptr;
    }

    // call(T&) with the target, when there is one; false when there is none.
    template <typename Call>
    bool With(Call&& call) {
        T* current = nullptr;
        size_t slot = 0;
        {
            std::lock_guard<std::mutex> hold(lock);
            current = target;
            slot = generation & 1;
            ++calls[slot];
        }
        // Not under the lock: calls of other threads must not wait for this one.
        struct Done {
            GuardedPointer& owner;
            size_t slot;
            ~Done() { owner.CallEnded(slot); }
        } done{*this, slot};
        if (current) {
            call(*current);
        }
        return current != nullptr;
    }

private:
    void CallEnded(size_t slot) {
        std::lock_guard<std::mutex> hold(lock);
        if (--calls[slot] == 0) {
            ended.notify_all();
        }
    }

    std::mutex lock;
    std::mutex replaceLock;  // one Set at a time
    std::condition_variable ended;
    T* target = nullptr;
    // Calls in progress by the parity of the generation they began in; each Set begins one.
    uint64_t generation = 0;
    size_t calls[2] = {0, 0};
};
