#include "LatencyProbe.h"

#include "BenchClock.h"

namespace {

const double PeriodMs = 20;

}  // namespace

LatencyProbe::LatencyProbe() {
    worker = std::thread([this] { Run(); });
}

LatencyProbe::~LatencyProbe() {
    if (worker.joinable()) {
        Finish();
    }
}

void LatencyProbe::Run() {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    double next = NowMs();
    double stopAt = 0;
    while (stopAt == 0 || NowMs() < stopAt) {
        if (stopping && stopAt == 0) {
            stopAt = NowMs() + timeoutMs;  // the last probes' echoes may still come
        }
        HWND target = frame;
        if (stopAt == 0 && NowMs() >= next && target) {
            bool count = counting;
            probes.push_back({NowMs(), -1, count});
            counted += count ? 1 : 0;
            PostMessageW(target, echoMessage, reinterpret_cast<WPARAM>(window), static_cast<LPARAM>(probes.size() - 1));
            next += PeriodMs;
        } else if (!target) {
            next = NowMs() + PeriodMs;
        }
        double wait = next - NowMs();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait > 1 ? static_cast<DWORD>(wait) : 1, QS_POSTMESSAGE);
        Receive(window);
    }
    DestroyWindow(window);
}

void LatencyProbe::Receive(HWND window) {
    MSG message;
    while (PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
        size_t index = static_cast<size_t>(message.lParam);
        if (message.message == echoMessage && index < probes.size() && probes[index].delayMs < 0) {
            probes[index].delayMs = NowMs() - probes[index].sentMs;
        }
    }
}

LatencyProbe::Summary LatencyProbe::Finish() {
    stopping = true;
    worker.join();
    Summary summary;
    std::vector<double> delays, inTime;
    for (const Probe& probe : probes) {
        if (!probe.counted) {
            continue;
        }
        bool missed = probe.delayMs < 0 || probe.delayMs > timeoutMs;
        summary.misses += missed ? 1 : 0;
        delays.push_back(missed ? timeoutMs : probe.delayMs);
        if (!missed) {
            inTime.push_back(probe.delayMs);
        }
    }
    summary.probes = delays.size();
    summary.medianMs = Percentile(delays, 0.5);
    summary.p99Ms = Percentile(delays, 0.99);
    summary.maxMs = Percentile(inTime, 1.0);
    return summary;
}
