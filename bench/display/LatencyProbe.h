#pragma once

#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

// Posts a probe to a frame of another process every 20 ms from a thread of its own and times
// the frame's echo (MainWindow::echoMessage, posted back to a message-only window here): how
// long a posted message waits before the frame's thread handles it. Only probes sent while
// counting is on make the figures; an echo later than the timeout, or none, is a miss.
class LatencyProbe {
public:
    static const UINT echoMessage = WM_APP + 0x300;
    static constexpr double timeoutMs = 1000;

    LatencyProbe();
    ~LatencyProbe();
    LatencyProbe(const LatencyProbe&) = delete;
    LatencyProbe& operator=(const LatencyProbe&) = delete;

    // The frame probed from now on; null pauses the probes.
    void SetTarget(HWND window) { frame = window; }
    void SetCounting(bool on) { counting = on; }
    size_t CountedProbes() const { return counted; }

    struct Summary {
        size_t probes = 0;
        size_t misses = 0;
        double medianMs = 0;
        double p99Ms = 0;  // misses count at the timeout
        double maxMs = 0;  // of the echoes that came in time
    };
    // Waits for the echoes still due, ends the thread and sums up the counted probes.
    Summary Finish();

private:
    struct Probe {
        double sentMs;
        double delayMs;  // negative until the echo came
        bool counted;
    };
    void Run();
    void Receive(HWND window);

    std::atomic<HWND> frame{nullptr};
    std::atomic<bool> counting{false};
    std::atomic<bool> stopping{false};
    std::atomic<size_t> counted{0};
    std::vector<Probe> probes;  // the thread's own until it has ended
    std::thread worker;
};
