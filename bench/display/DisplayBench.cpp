// Measures the program as a user meets it, driven from outside: how fast a flood of output shows
// against the capture path with a view that draws nothing, how long posted messages wait
// meanwhile, one endless line, its memory and latency under a flood of ten times the scrollback
// limit, and its start-up against a bare window program. Prints "name: value" lines; details go
// to standard error.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "BenchClock.h"
#include "FloodSession.h"
#include "FloodText.h"
#include "LatencyProbe.h"
#include "CapturePath.h"
#include "ScrollbackSetting.h"
#include "StartupTimer.h"

namespace {

const size_t FloodBytes = 3 * 1024 * 1024;
const size_t LongLineBytes = 50 * 1024 * 1024;
const size_t Scrollback = 4000000;
const size_t MinimumProbes = 500;
const int MinimumRounds = 5;
const int MaximumRounds = 40;

double Mb(size_t bytes) {
    return static_cast<double>(bytes) / 1048576.0;
}

struct Spread {
    double median, low, high;
};

Spread SpreadOf(const std::vector<double>& values) {
    if (values.empty()) {
        return {0, 0, 0};
    }
    return {Percentile(values, 0.5), *std::min_element(values.begin(), values.end()),
            *std::max_element(values.begin(), values.end())};
}

// Medians of interleaved rounds on both sides: the fastest of many noisy rounds of the bare
// control would rate the program against the machine's luckiest moment.
void PrintFloodFigures(const std::vector<double>& program,
                       const std::vector<double>& capture,
                       const LatencyProbe::Summary& latency) {
    Spread shown = SpreadOf(program), ceilingRates = SpreadOf(capture);
    std::vector<double> ratios;
    for (size_t i = 0; i < program.size(); ++i) {
        ratios.push_back(capture[i] > 0 ? program[i] / capture[i] : 0);
    }
    Spread roundRatios = SpreadOf(ratios);
    fprintf(stderr,
            "bench_display: %zu rounds; program %.2f MB/s median (%.2f to %.2f), capture path %.2f MB/s median "
            "(%.2f to %.2f); ratio by round %.2f to %.2f\n"
            "bench_display: %zu probes during floods, median %.1f ms, p99 %.1f ms, slowest answered %.1f ms, "
            "%zu missed (no echo within %.0f ms)\n",
            program.size(), shown.median / 1048576.0, shown.low / 1048576.0, shown.high / 1048576.0,
            ceilingRates.median / 1048576.0, ceilingRates.low / 1048576.0, ceilingRates.high / 1048576.0,
            roundRatios.low, roundRatios.high, latency.probes, latency.medianMs, latency.p99Ms, latency.maxMs,
            latency.misses, LatencyProbe::timeoutMs);
    printf("display_ratio: %.3f\n", ceilingRates.median > 0 ? shown.median / ceilingRates.median : 0.0);
    printf("display_mb_s: %.2f\n", shown.median / 1048576.0);
    printf("ui_latency_ms: %.1f\n", latency.p99Ms);
    printf("ui_latency_misses: %zu\n", latency.misses);
}

// Rounds of a 3 MB flood into a fresh program, each after the same flood through the capture
// path, until the probes sent during floods are enough. Prints display_ratio, display_mb_s and the
// ui_latency figures; returns the program's median rate.
double MeasureFloods(const testsupport::ScratchDirectory& folder) {
    std::string bytes = floodtext::Lines(FloodBytes) + floodtext::Marker(0);
    CapturePath capture;
    LatencyProbe probe;
    std::vector<double> program, captured;
    for (int round = 1; round <= MaximumRounds && (round <= MinimumRounds || probe.CountedProbes() < MinimumProbes);
         ++round) {
        FloodSession session(folder, round);
        if (!session.Ready()) {
            fprintf(stderr, "bench_display: the program's flood window did not appear\n");
            continue;
        }
        captured.push_back(capture.Rate(FloodBytes));
        size_t peak = 0;
        probe.SetTarget(session.Frame());
        probe.SetCounting(true);
        double ms = session.Flood(FloodBytes, true, peak);
        probe.SetCounting(false);
        Sleep(static_cast<DWORD>(LatencyProbe::timeoutMs));  // the program answers the probes still queued
        probe.SetTarget(nullptr);
        double rate = ms > 0 ? static_cast<double>(bytes.size()) * 1000.0 / ms : 0;
        fprintf(stderr, "bench_display: round %d, capture path %.2f MB/s, program %.2f MB/s (%.0f ms, %zu probes)\n",
                round, captured.back() / 1048576.0, rate / 1048576.0, ms, probe.CountedProbes());
        program.push_back(rate);
    }
    PrintFloodFigures(program, captured, probe.Finish());
    return SpreadOf(program).median;
}

// 50 MB with no line break, until its end is in the view.
void MeasureLongLine(const testsupport::ScratchDirectory& folder, double displayRate) {
    FloodSession session(folder, 100);
    size_t peak = 0;
    double ms = session.Ready() ? session.Flood(LongLineBytes, false, peak, true) : -1;
    double rate = ms > 0 ? static_cast<double>(LongLineBytes) * 1000.0 / ms / 1048576.0 : 0;
    fprintf(stderr, "bench_display: 50 MB on one line in %.0f ms (%.2f MB/s, %.2f of the display rate)\n", ms, rate,
            displayRate > 0 ? rate * 1048576.0 / displayRate : 0.0);
    printf("long_line_mb_s: %.2f\n", rate);
}

// A flood of ten times the default scrollback limit: the latency of posted messages meanwhile and
// the program's peak memory over it, above what it held before.
void MeasureTrims(const testsupport::ScratchDirectory& folder) {
    FloodSession session(folder, 101);
    if (!session.Ready()) {
        fprintf(stderr, "bench_display: the program's flood window did not appear\n");
        return;
    }
    Sleep(500);
    size_t before = session.PrivateBytes(), peak = before;
    LatencyProbe probe;
    probe.SetTarget(session.Frame());
    probe.SetCounting(true);
    double ms = session.Flood(10 * Scrollback, false, peak);
    probe.SetCounting(false);
    Sleep(static_cast<DWORD>(LatencyProbe::timeoutMs));
    probe.SetTarget(nullptr);
    LatencyProbe::Summary latency = probe.Finish();
    fprintf(stderr, "bench_display: 10x scrollback flood in %.0f ms; %.1f MB before, peak %.1f MB; %zu probes, p99 %.1f ms, "
            "%zu missed\n", ms, Mb(before), Mb(peak), latency.probes, latency.p99Ms, latency.misses);
    printf("trim_ui_latency_ms: %.1f\n", latency.p99Ms);
    printf("display_peak_mb: %.1f\n", Mb(peak > before ? peak - before : 0));
}

void MeasureStartup(const testsupport::ScratchDirectory& folder) {
    StartupTimer timer(folder);
    std::vector<double> program, bare;
    for (int run = 0; run < 5; ++run) {
        program.push_back(timer.TimeTarnwick());
        bare.push_back(timer.TimeBareWindow());
        fprintf(stderr, "bench_display: start-up run %d: program %.0f ms, bare window %.0f ms\n", run + 1,
                program.back(), bare.back());
    }
    double median = Percentile(program, 0.5), bareMedian = Percentile(bare, 0.5);
    printf("startup_ms: %.0f\n", median);
    printf("startup_ratio: %.2f\n", bareMedian > 0 ? median / bareMedian : 0.0);
}

}  // namespace

int main() {
    setvbuf(stderr, nullptr, _IONBF, 0);  // progress shows as it comes
    ScrollbackSetting scrollback(std::to_wstring(Scrollback));
    testsupport::ScratchDirectory folder;
    double displayRate = MeasureFloods(folder);
    MeasureLongLine(folder, displayRate);
    MeasureTrims(folder);
    MeasureStartup(folder);
    return 0;
}
