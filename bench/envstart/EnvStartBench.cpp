// How much later Tarnwick's frame is there and answering with three entries that each set 50
// environment variables, against three entries without: medians over interleaved starts.
// Prints "env_start_ratio: <value>"; the single times go to standard error.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/SavedRegistryValue.h"
#include "support/TarnwickSession.h"

namespace {

const int kRounds = 40;  // single starts vary by a quarter: fewer rounds let the median wander
const DWORD kWaitCapMs = 15000;

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// From the start of Tarnwick until its frame is visible and answers WM_NULL within 50 ms.
double TimeToAnsweringFrame(const std::wstring& configuration) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    testsupport::TarnwickSession session(L"\"" + configuration + L"\"", kWaitCapMs);
    DWORD left = static_cast<DWORD>(std::max(0.0, kWaitCapMs - MillisecondsSince(start)));
    HWND frame = session.Frame();
    auto answers = [frame] {
        DWORD_PTR result = 0;
        return IsWindowVisible(frame) && SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_NORMAL, 50, &result) != 0;
    };
    bool answered = frame && testsupport::WaitUntil(answers, left);
    return answered ? MillisecondsSince(start) : kWaitCapMs;
}

// Three entries that each run "cmd.exe /c exit", with 50 variables each when withVariables.
std::wstring WriteConfiguration(const wchar_t* name, bool withVariables) {
    std::string text = "<processes>";
    for (int entry = 0; entry < 3; ++entry) {
        text += "<process><title>E" + std::to_string(entry) +
                "</title><executable>cmd.exe</executable><commandLineArguments>/c exit</commandLineArguments>";
        if (withVariables) {
            text += "<environment>";
            for (int v = 0; v < 50; ++v) {
                text += "<variable><name>BENCH_" + std::to_string(v) + "</name><value>%USERNAME%-value " +
                        std::to_string(v) + "</value></variable>";
            }
            text += "</environment>";
        }
        text += "</process>";
    }
    text += "</processes>";
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    testsupport::SavedRegistryValue enabled(L"Software\\Hollbrae\\Tarnwick", L"CheckForUpdates");
    enabled.Write(L"0");
    std::wstring plain = WriteConfiguration(L"bench-env-plain.tnkx", false);
    std::wstring variables = WriteConfiguration(L"bench-env-variables.tnkx", true);
    TimeToAnsweringFrame(plain);  // warms Wine's caches; not counted
    std::vector<double> without, with;
    for (int round = 0; round < kRounds; ++round) {
        bool variablesFirst = round % 2 == 1;  // alternating cancels a drift of the machine's load
        double first = TimeToAnsweringFrame(variablesFirst ? variables : plain);
        double second = TimeToAnsweringFrame(variablesFirst ? plain : variables);
        with.push_back(variablesFirst ? first : second);
        without.push_back(variablesFirst ? second : first);
        fprintf(stderr, "env start round %d: plain %.0f ms, 50 variables %.0f ms\n", round, without.back(),
                with.back());
    }
    DeleteFileW(plain.c_str());
    DeleteFileW(variables.c_str());
    printf("env_start_ratio: %.3f\n", Median(with) / Median(without));
    return 0;
}
