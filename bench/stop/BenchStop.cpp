// Measures what a graceful stop adds to the time a run takes to end: the run's child ends 300 ms
// after its stop program has started, and the figure is the time from Stop until a window has
// been told the run ended, less those 300 ms. Prints "name: value" lines; the spread goes to
// standard error.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/Process.h"

namespace {

const UINT EndedMessage = WM_APP + 1;

std::wstring BesideUs(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path, n);
    return full.substr(0, full.find_last_of(L"\\/") + 1) + name;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// Waits for the child's first line.
class ReadyLogger : public util::logging::ILogger {
public:
    ReadyLogger() : ready(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~ReadyLogger() override { CloseHandle(ready); }
    void Log(const wchar_t* text) override {
        if (wcsstr(text, L"ready")) {
            SetEvent(ready);
        }
    }
    HANDLE ready;
};

// Tells the window the run ended as the process window is told: a message posted to its thread.
class PostingObserver : public IThreadObserver {
public:
    explicit PostingObserver(HWND window) : window(window) {}
    void ThreadStateChanged(bool running) override {
        if (!running) {
            PostMessageW(window, EndedMessage, 0, 0);
        }
    }
    HWND window;
};

// One graceful stop; the milliseconds from Stop until the window got the end, less 300; -1 when
// the run did not come up or end.
double OverheadMilliseconds(HWND window, int round) {
    std::wstring event = L"TarnwickBenchStop" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(round);
    std::wstring child = BesideUs(L"bench_stop_child.exe");
    ReadyLogger logger;
    PostingObserver observer(window);
    Process process;
    process.SetObserver(&observer);
    process.SetLogger(&logger);
    process.SetExecutable(child.c_str());
    process.SetArguments((L"serve " + event).c_str());
    StopSettings stop;
    stop.present = true;
    stop.executable = child;
    stop.arguments = L"ask " + event;
    process.SetStopSettings(stop);
    process.Start();
    if (WaitForSingleObject(logger.ready, 60000) != WAIT_OBJECT_0) {
        return -1;
    }
    LARGE_INTEGER start = Now();
    process.Terminate();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0 && message.message != EndedMessage) {
        DispatchMessageW(&message);
    }
    LARGE_INTEGER end = Now();
    process.WaitForEnd(INFINITE);
    return process.GetEndReason() == ExitLine::Reason::Stopped ? Milliseconds(start, end) - 300.0 : -1;
}

}  // namespace

int main() {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::vector<double> overheads;
    for (int round = 0; round < 7; ++round) {
        double ms = OverheadMilliseconds(window, round);
        if (ms < 0) {
            fprintf(stderr, "bench_stop: round %d did not end as a graceful stop\n", round);
            continue;
        }
        overheads.push_back(ms);
    }
    if (overheads.empty()) {
        printf("graceful_stop_overhead_ms: -1\n");
        return 1;
    }
    std::sort(overheads.begin(), overheads.end());
    fprintf(stderr, "bench_stop: graceful stop overheads %.1f to %.1f ms over %zu rounds\n", overheads.front(),
            overheads.back(), overheads.size());
    printf("graceful_stop_overhead_ms: %.1f\n", overheads[overheads.size() / 2]);
    return 0;
}
