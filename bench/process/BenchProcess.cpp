// Measures output capture against a raw pipe reader, the time a Terminate takes under a flood and
// for a tree of 50 processes, what 1,000 starts and stops leave behind, and the memory of the
// capturing process meanwhile. Prints "name: value" lines.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "common/Process.h"
#include "util/TextScan.h"

namespace {

const long long FloodBytes = 200LL * 1024 * 1024;

std::wstring BesideUs(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path, n);
    return full.substr(0, full.find_last_of(L"\\/") + 1) + name;
}

std::wstring FloodPath() {
    return BesideUs(L"bench_flood.exe");
}

// Running processes of bench_tree.exe (the session's Wine server runs nothing else of ours).
int TreeProcesses() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        count += lstrcmpiW(entry.szExeFile, L"bench_tree.exe") == 0 ? 1 : 0;
        entry.dwSize = sizeof(entry);
    }
    CloseHandle(snapshot);
    return count;
}

bool WaitForTreeProcesses(int count, DWORD timeoutMs) {
    for (ULONGLONG start = GetTickCount64(); TreeProcesses() != count;) {
        if (GetTickCount64() - start > timeoutMs) {
            return false;
        }
        Sleep(1);
    }
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return counters.PrivateUsage > counters.WorkingSetSize ? counters.PrivateUsage : counters.WorkingSetSize;
}

// The baseline: the same child writing into the same kind of named pipe, read by a minimal
// synchronous loop with the same read size and no conversion.
double RawBytesPerSecond() {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    std::wstring name = L"\\\\.\\pipe\\bench-raw-" + std::to_wstring(GetCurrentProcessId());
    HANDLE writeEnd = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_FIRST_PIPE_INSTANCE, 0, 1, 131140,
                                       131140, 0, &inherit);
    HANDLE readEnd = CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (writeEnd == INVALID_HANDLE_VALUE || readEnd == INVALID_HANDLE_VALUE) {
        return 0;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    std::wstring line = FloodPath() + L" " + std::to_wstring(FloodBytes);
    std::vector<wchar_t> writable(line.begin(), line.end());
    writable.push_back(L'\0');
    PROCESS_INFORMATION info = {};
    LARGE_INTEGER start = Now();
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &info)) {
        return 0;
    }
    CloseHandle(writeEnd);
    std::vector<char> buffer(32786);
    long long total = 0;
    DWORD read = 0;
    while (ReadFile(readEnd, buffer.data(), 32785, &read, nullptr) && read > 0) {
        total += read;
    }
    LARGE_INTEGER end = Now();
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    CloseHandle(readEnd);
    return static_cast<double>(total) / Seconds(start, end);
}

class CountingLogger : public util::logging::ILogger {
public:
    CountingLogger() : footer(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~CountingLogger() override { CloseHandle(footer); }
    void Log(const wchar_t* text) override {
        units += static_cast<long long>(TextScan::WideLength(text));
        // The footer is a call of its own that starts with a line break; flood chunks never do,
        // so the search runs once per run, not once per chunk.
        if (text[0] == L'\r' && wcsstr(text, L"Debug Info ----\r\n")) {
            footers++;
            SetEvent(footer);
        }
    }
    std::atomic<long long> units{0};
    std::atomic<int> footers{0};
    HANDLE footer;
};

// Signals the end of a run: a Terminate returns at once, the run ends after it.
class EndWatcher : public IThreadObserver {
public:
    EndWatcher() : ended(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~EndWatcher() override { CloseHandle(ended); }
    void ThreadStateChanged(bool running) override {
        if (!running) {
            SetEvent(ended);
        }
    }
    HANDLE ended;
};

// Capture through Process; also samples this process's memory while the flood runs.
double CaptureBytesPerSecond(size_t& peakBytes) {
    CountingLogger logger;
    Process process;
    process.SetLogger(&logger);
    process.SetExecutable(FloodPath().c_str());
    process.SetArguments(std::to_wstring(FloodBytes).c_str());
    LARGE_INTEGER start = Now();
    process.Start();
    do {
        size_t now = PrivateBytes();
        peakBytes = now > peakBytes ? now : peakBytes;
    } while (WaitForSingleObject(logger.footer, 20) == WAIT_TIMEOUT);
    LARGE_INTEGER end = Now();
    return static_cast<double>(logger.units.load()) / Seconds(start, end);
}

// Milliseconds from Terminate to the run's end while the child floods without end; how long the
// Terminate call itself took goes to callMs.
double StopMilliseconds(double& callMs) {
    CountingLogger logger;
    EndWatcher watcher;
    Process process;
    process.SetObserver(&watcher);
    process.SetLogger(&logger);
    process.SetExecutable(FloodPath().c_str());
    process.SetArguments(L"0");
    process.Start();
    while (logger.units.load() < 64LL * 1024 * 1024) {
        Sleep(5);
    }
    LARGE_INTEGER start = Now();
    process.Terminate();
    callMs = Seconds(start, Now()) * 1000.0;
    WaitForSingleObject(watcher.ended, INFINITE);
    LARGE_INTEGER end = Now();
    return Seconds(start, end) * 1000.0;
}

// Waits for a text that the child writes.
class WatchingLogger : public util::logging::ILogger {
public:
    explicit WatchingLogger(const wchar_t* awaited)
        : awaited(awaited), seen(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~WatchingLogger() override { CloseHandle(seen); }
    void Log(const wchar_t* text) override {
        if (wcsstr(text, awaited)) {
            SetEvent(seen);
        }
    }
    const wchar_t* awaited;
    HANDLE seen;
};

// A run of bench_tree.exe in the given role, logging to logger.
struct TreeRun {
    TreeRun(util::logging::ILogger& logger, const wchar_t* role) {
        process.SetLogger(&logger);
        process.SetExecutable(BesideUs(L"bench_tree.exe").c_str());
        process.SetArguments(role);
    }
    Process process;
};

// Milliseconds from Stop to the end of the last of the 43 processes left of a 50-process tree.
double TreeStopMilliseconds() {
    WatchingLogger logger(L"ready");
    TreeRun tree(logger, L"root");
    Process& process = tree.process;
    process.Start();
    // A loaded machine can take long to start 50 processes under Wine: that is not what is timed.
    if (WaitForSingleObject(logger.seen, 60000) != WAIT_OBJECT_0 || !WaitForTreeProcesses(43, 60000)) {
        fprintf(stderr, "bench_process: the tree did not come up\n");
        return -1;
    }
    LARGE_INTEGER start = Now();
    process.Terminate();
    bool gone = WaitForTreeProcesses(0, 10000);
    LARGE_INTEGER end = Now();
    if (!gone) {
        fprintf(stderr, "bench_process: %d processes of the tree survived its Stop\n", TreeProcesses());
    }
    return Seconds(start, end) * 1000.0;
}

// Starts and at once stops a run 1,000 times; the processes of bench_tree.exe left afterwards.
int LeftoverProcesses() {
    WatchingLogger logger(L"");
    TreeRun leaf(logger, L"leaf");
    for (int round = 0; round < 1000; ++round) {
        leaf.process.Start();
        leaf.process.Terminate();
        leaf.process.WaitForEnd(INFINITE);  // a new run starts only after the old one ended
    }
    WaitForTreeProcesses(0, 2000);  // a last process still ending
    return TreeProcesses();
}

}  // namespace

int main() {
    double raw = 0, captured = 0;
    size_t before = PrivateBytes();
    size_t peak = before;
    // Raw and captured rounds run in pairs; the median of the pairs' ratios, so that neither a
    // hiccup of the machine nor its load drifting between rounds decides the figure. Which of
    // the two goes first alternates, so that neither always meets what the other left behind.
    std::vector<double> ratios;
    for (int round = 0; round < 15; ++round) {
        double r = 0, c = 0;
        if (round % 2 == 0) {
            r = RawBytesPerSecond();
            c = CaptureBytesPerSecond(peak);
        } else {
            c = CaptureBytesPerSecond(peak);
            r = RawBytesPerSecond();
        }
        raw = r > raw ? r : raw;
        captured = c > captured ? c : captured;
        ratios.push_back(r > 0 ? c / r : 0);
    }
    double stopMs = 0, callMs = 0;
    for (int round = 0; round < 3; ++round) {
        double call = 0;
        double ms = StopMilliseconds(call);
        stopMs = ms > stopMs ? ms : stopMs;
        callMs = call > callMs ? call : callMs;
    }
    fprintf(stderr, "bench_process: the longest Terminate call took %.1f ms\n", callMs);
    fprintf(stderr, "bench_process: raw %.1f MB/s, captured %.1f MB/s, memory before %.1f MB\n", raw / 1048576.0,
            captured / 1048576.0, static_cast<double>(before) / 1048576.0);
    std::vector<double> treeStops;
    for (int round = 0; round < 20; ++round) {
        double ms = TreeStopMilliseconds();
        if (ms >= 0) {
            treeStops.push_back(ms);  // a tree that never came up was not stopped: no figure
        }
    }
    if (treeStops.empty()) {
        treeStops.push_back(-1);
    }
    int leftover = LeftoverProcesses();
    std::sort(ratios.begin(), ratios.end());
    fprintf(stderr, "bench_process: capture ratios %.3f to %.3f, tree stops %.1f to %.1f ms\n", ratios.front(),
            ratios.back(), *std::min_element(treeStops.begin(), treeStops.end()),
            *std::max_element(treeStops.begin(), treeStops.end()));
    printf("capture_ratio: %.3f\n", Median(ratios));
    printf("stop_ms: %.1f\n", stopMs);
    printf("tree_stop_ms: %.1f\n", Median(treeStops));
    printf("leftover_processes: %d\n", leftover);
    printf("capture_peak_mb: %.1f\n", static_cast<double>(peak) / 1048576.0);
    return 0;
}
