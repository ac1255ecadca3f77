// What a remembered layout costs a start: the time until Tarnwick's frame is visible and answers
// (startup_ms, as bench/startup measures it) on a configuration of three windows whose layout is
// remembered, divided by the same time with nothing remembered; medians over interleaved rounds.
// Prints "startup_restore_ratio: <value>"; the single times and their spread go to standard error.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/LayoutStore.h"
#include "app/SettingsKey.h"
#include "support/SavedRegistryValue.h"
#include "support/TarnwickSession.h"

namespace {

const int kRounds = 21;
const DWORD kWaitCapMs = 15000;

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double StartupMs(const std::wstring& configuration) {
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

std::wstring WriteConfiguration() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"bench-layout.tnkx";
    std::string text = "<processes>";
    for (const char* title : {"Web", "Db", "Queue"}) {
        text += std::string("<process><title>") + title +
                "</title><executable>cmd.exe</executable><start>false</start></process>";
    }
    text += "</processes>";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

// Three windows left where a user put them, in a frame that is not where a first start puts it.
WindowLayout ThreeWindows() {
    WindowLayout layout;
    layout.hasFrame = true;
    layout.frame.normal = {40, 30, 840, 630};
    layout.hasPanel = true;
    layout.panelWidth = 200;
    layout.arrangement = WindowLayout::Arrangement::Free;
    layout.children = {{L"Web", {{0, 0, 380, 260}, false}},
                       {L"Db", {{380, 0, 760, 260}, false}},
                       {L"Queue", {{0, 260, 760, 480}, false}}};
    return layout;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    std::wstring configuration = WriteConfiguration();
    std::vector<double> with;
    std::vector<double> without;
    {
        testsupport::SavedRegistryValue enabled(settings::key, L"CheckForUpdates");
        enabled.Write(L"0");
        auto start = [&](bool remembered) {
            // Written again each time: a start that was not killed would have written its own.
            if (remembered) {
                LayoutStore::Write(configuration, ThreeWindows());
            } else {
                LayoutStore::Forget(configuration);
            }
            return StartupMs(configuration);
        };
        start(false);  // warms Wine's caches; not counted
        for (int round = 0; round < kRounds; ++round) {
            // Alternating which start goes first cancels a drift of the machine's load.
            bool rememberedFirst = round % 2 == 1;
            double first = start(rememberedFirst);
            double second = start(!rememberedFirst);
            with.push_back(rememberedFirst ? first : second);
            without.push_back(rememberedFirst ? second : first);
            fprintf(stderr, "layout round %d: without %.0f ms, with %.0f ms\n", round, without.back(), with.back());
        }
        LayoutStore::Forget(configuration);
    }
    DeleteFileW(configuration.c_str());
    std::vector<double> ratios;
    for (size_t index = 0; index < with.size(); ++index) {
        ratios.push_back(with[index] / without[index]);
    }
    auto bounds = std::minmax_element(ratios.begin(), ratios.end());
    fprintf(stderr,
            "startup_ms without: median %.0f (%.0f-%.0f); with: median %.0f (%.0f-%.0f); ratio per round %.2f-%.2f\n",
            Median(without), *std::min_element(without.begin(), without.end()),
            *std::max_element(without.begin(), without.end()), Median(with),
            *std::min_element(with.begin(), with.end()), *std::max_element(with.begin(), with.end()), *bounds.first,
            *bounds.second);
    printf("startup_restore_ratio: %.2f\n", Median(with) / Median(without));
    return 0;
}
