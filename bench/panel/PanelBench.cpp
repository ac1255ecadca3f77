// Times how long posted messages wait for the frame's thread while 30 process windows each take a
// line every 100 ms and the process panel is shown, in several fresh programs driven from
// outside. Prints "panel_ui_latency_ms: N" (the median of the runs' 99th percentiles); each run's
// figures and the spread go to standard error.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "LatencyProbe.h"
#include "support/ScratchDirectory.h"
#include "support/TarnwickSession.h"
#include "support/TestPaths.h"

namespace {

const int kWindows = 30;
const int kRuns = 5;
const DWORD kSettleMs = 2000;   // the children's first lines and the frame's start-up work pass
const DWORD kMeasureMs = 8000;  // about 400 probes a run
const int kTreePanel = 40203;

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::wstring WriteConfiguration(const testsupport::ScratchDirectory& folder) {
    std::string probe = Narrow(testsupport::HelperPath(L"ProcessProbe.exe"));
    std::string entries;
    for (int index = 1; index <= kWindows; ++index) {
        entries += "<process><title>Ticker " + std::to_string(index) + "</title><executable>" + probe +
                   "</executable><commandLineArguments>ticks 100000000 100</commandLineArguments></process>";
    }
    return folder.Write(L"panel.tnkx", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<processes>" + entries +
                                           "</processes>\r\n");
}

// The panel of the frame, once it is shown.
HWND ShownPanel(HWND frame) {
    HWND panel = FindWindowExW(frame, nullptr, L"ProcessPanel", nullptr);
    return panel && IsWindowVisible(panel) ? panel : nullptr;
}

// One fresh program: the 99th percentile of its latency; negative when it did not get ready.
double MeasureRun(const std::wstring& configuration, int run, bool panel) {
    testsupport::TarnwickSession session(L"\"" + configuration + L"\"");
    bool ready = testsupport::WaitUntil(
        [&] {
            for (int index = 1; index <= kWindows; ++index) {
                if (session.ViewText(L"Ticker " + std::to_wstring(index)).find(L"tick 1") == std::wstring::npos) {
                    return false;
                }
            }
            return true;
        },
        60000);
    if (panel) {
        session.Command(kTreePanel);
    }
    if (!ready || (panel && !testsupport::WaitUntil([&] { return ShownPanel(session.Frame()) != nullptr; }, 10000))) {
        fprintf(stderr, "bench_panel: run %d: the windows or the panel did not appear\n", run);
        return -1;
    }
    Sleep(kSettleMs);
    LatencyProbe probe;
    probe.SetTarget(session.Frame());
    probe.SetCounting(true);
    Sleep(kMeasureMs);
    probe.SetCounting(false);
    Sleep(static_cast<DWORD>(LatencyProbe::timeoutMs));
    probe.SetTarget(nullptr);
    LatencyProbe::Summary latency = probe.Finish();
    fprintf(stderr,
            "bench_panel: run %d%s: %zu probes, median %.1f ms, p99 %.1f ms, slowest answered %.1f ms, %zu missed\n", run,
            panel ? "" : " without the panel", latency.probes, latency.medianMs, latency.p99Ms, latency.maxMs,
            latency.misses);
    return latency.p99Ms;
}

}  // namespace

// Each run is paired with one of the same windows without the panel, whose figures go to standard
// error only: what the panel adds is the difference.
int main() {
    testsupport::ScratchDirectory folder;
    std::wstring configuration = WriteConfiguration(folder);
    std::vector<double> figures, control;
    for (int run = 1; run <= kRuns; ++run) {
        double figure = MeasureRun(configuration, run, true);
        if (figure >= 0) {
            figures.push_back(figure);
        }
        double without = MeasureRun(configuration, run, false);
        if (without >= 0) {
            control.push_back(without);
        }
    }
    if (figures.empty()) {
        fprintf(stderr, "bench_panel: no run measured\n");
        return 1;
    }
    double median = Percentile(figures, 0.5);
    fprintf(stderr, "bench_panel: %zu runs, p99 median %.1f ms, spread %.1f to %.1f ms; without the panel %.1f ms\n",
            figures.size(), median, *std::min_element(figures.begin(), figures.end()),
            *std::max_element(figures.begin(), figures.end()), Percentile(control, 0.5));
    printf("panel_ui_latency_ms: %.1f\n", median);
    return 0;
}
