// From starting Tarnwick on the configuration a running Tarnwick has open (its frame minimised)
// until that frame is restored in front and the second start has ended: the median over several
// starts. Prints "second_instance_ms: <value>"; the single times go to standard error.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/SavedRegistryValue.h"
#include "support/ScratchDirectory.h"
#include "support/TarnwickSession.h"
#include "support/TestPaths.h"

namespace {

const int kRounds = 9;
const double kGiveUpMs = 15000;

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// One second start; the time until it ended and frame is in front, or kGiveUpMs.
double TimeHandOver(const std::wstring& configuration, HWND frame) {
    std::wstring program = testsupport::HelperPath(L"Tarnwick.exe");
    std::wstring commandLine = L"\"" + program + L"\" \"" + configuration + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION created = {};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &created)) {
        return kGiveUpMs;
    }
    CloseHandle(created.hThread);
    double elapsed = 0;
    while ((elapsed = MillisecondsSince(start)) < kGiveUpMs) {
        if (WaitForSingleObject(created.hProcess, 1) == WAIT_OBJECT_0 && GetForegroundWindow() == frame &&
            !IsIconic(frame)) {
            break;
        }
    }
    if (WaitForSingleObject(created.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(created.hProcess, 1);  // it did not hand over: it must not stay for the next round
    }
    CloseHandle(created.hProcess);
    return std::min(elapsed, kGiveUpMs);
}

}  // namespace

int main() {
    testsupport::SavedRegistryValue enabled(L"Software\\Hollbrae\\Tarnwick", L"CheckForUpdates");
    enabled.Write(L"0");
    testsupport::ScratchDirectory dir;
    std::wstring configuration =
        dir.Write(L"bench-instance.tnkx",
                  "<processes><process><title>Idle</title><executable>cmd.exe</executable>"
                  "<commandLineArguments>/c exit</commandLineArguments></process></processes>");
    testsupport::TarnwickSession first(L"\"" + configuration + L"\"");
    HWND frame = first.Frame();
    if (!frame) {
        std::fprintf(stderr, "instance: the first frame did not appear\n");
        return 1;
    }
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        ShowWindow(frame, SW_MINIMIZE);
        testsupport::WaitUntil([&] { return IsIconic(frame) != FALSE; }, 5000);
        Sleep(200);  // the minimised frame settles before the clock starts
        times.push_back(TimeHandOver(configuration, frame));
        std::fprintf(stderr, "instance: round %d %.1f ms\n", round, times.back());
    }
    std::sort(times.begin(), times.end());
    std::fprintf(stderr, "instance: min %.1f max %.1f ms\n", times.front(), times.back());
    std::printf("second_instance_ms: %.1f\n", times[times.size() / 2]);
    return 0;
}
