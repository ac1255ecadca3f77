#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "util/Object.h"

namespace net {
namespace http {

// Keeps a long download honest: it must move at least a minimum number of bytes in every
// window of time, must end within a total time, and can be cancelled from another thread.
// The reader reports what arrived and asks, before each wait, how long it may wait.
//
// Check and Received answer Go while the download may go on; any other verdict is final.
class TransferWatch : public Object {
public:
    struct Limits {
        uint64_t minimumBytes = 64u * 1024u;  // in every window...
        uint64_t windowMs = 60u * 1000u;      // ...of this many milliseconds
        uint64_t totalMs = 60u * 60u * 1000u;
    };
    enum class Verdict { Go, TooSlow, TooLong, Cancelled };
    // Milliseconds on any steady clock.
    using Clock = std::function<uint64_t()>;

    // The clock starts the first window and the total time at once.
    TransferWatch(const Limits& limits, Clock clock);

    // Counts bytes that arrived; a window that saw its minimum starts the next one.
    Verdict Received(uint64_t bytes);
    // The verdict now, with no new bytes.
    Verdict Check();
    // How long a wait may last before Check has something new to say (never more than the
    // window, at least 1 ms).
    uint64_t MillisecondsUntilDue();

    // From any thread; the reader sees it at its next Check.
    void Cancel() { cancelled = true; }
    bool IsCancelled() const { return cancelled; }
    // For waits that give up as soon as it is set.
    const std::atomic<bool>* GetCancelFlag() const { return &cancelled; }
    // From any thread: the bytes counted so far.
    uint64_t GetTotal() const { return total; }
    // The verdict as a sentence for the user ("" for Go).
    static const wchar_t* Describe(Verdict verdict);

private:
    Limits limits;
    Clock clock;
    uint64_t started;
    uint64_t windowStart;
    uint64_t windowBytes;
    std::atomic<uint64_t> total;
    std::atomic<bool> cancelled;
};

}  // namespace http
}  // namespace net
