// Measures the program as a user meets it, driven from outside: how fast a flood of output shows
// against a bare rich-edit control, how long posted messages wait meanwhile, its memory under
// floods past the scrollback limit, and its start-up against a bare window program. Prints
// "name: value" lines; details go to standard error.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "BenchClock.h"
#include "FloodSession.h"
#include "FloodText.h"
#include "LatencyProbe.h"
#include "RichEditCeiling.h"
#include "ScrollbackSetting.h"
#include "StartupTimer.h"

namespace {

const size_t FloodBytes = 3 * 1024 * 1024;
const size_t Scrollback = 4000000;
const size_t MemoryScrollback = 200000;
const size_t InsertSizes[] = {16 * 1024, 32 * 1024, 64 * 1024, 128 * 1024};
const size_t MinimumProbes = 500;
const int MinimumRounds = 5;
const int MaximumRounds = 40;

double Mb(size_t bytes) {
    return static_cast<double>(bytes) / 1048576.0;
}

// The best rate of the bare control over the insert sizes, each size's rate logged.
double CeilingRate(RichEditCeiling& ceiling, const std::wstring& text) {
    double best = 0;
    for (size_t size : InsertSizes) {
        double rate = ceiling.Rate(text, size);
        fprintf(stderr, " %zuK %.2f", size / 1024, rate / 1048576.0);
        best = std::max(best, rate);
    }
    return best;
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
                       const std::vector<double>& bare,
                       const LatencyProbe::Summary& latency) {
    Spread shown = SpreadOf(program), ceilingRates = SpreadOf(bare);
    std::vector<double> ratios;
    for (size_t i = 0; i < program.size(); ++i) {
        ratios.push_back(bare[i] > 0 ? program[i] / bare[i] : 0);
    }
    Spread roundRatios = SpreadOf(ratios);
    fprintf(stderr,
            "bench_display: %zu rounds; program %.2f MB/s median (%.2f to %.2f), bare control %.2f MB/s median of each "
            "round's best insert size (%.2f to %.2f); ratio by round %.2f to %.2f\n"
            "bench_display: %zu probes during floods, median %.1f ms, p99 %.1f ms, slowest answered %.1f ms, "
            "%zu missed (no echo within %.0f ms)\n",
            program.size(), shown.median / 1048576.0, shown.low / 1048576.0, shown.high / 1048576.0,
            ceilingRates.median / 1048576.0, ceilingRates.low / 1048576.0, ceilingRates.high / 1048576.0,
            roundRatios.low, roundRatios.high, latency.probes, latency.medianMs, latency.p99Ms, latency.maxMs,
            latency.misses, LatencyProbe::timeoutMs);
    printf("display_ratio: %.3f\n", ceilingRates.median > 0 ? shown.median / ceilingRates.median : 0.0);
    printf("ui_latency_ms: %.1f\n", latency.p99Ms);
    printf("ui_latency_misses: %zu\n", latency.misses);
}

// Rounds of a 3 MB flood into a fresh program, each after a round of the bare control, until the
// probes sent during floods are enough. Prints display_ratio and the ui_latency figures.
void MeasureFloods(const testsupport::ScratchDirectory& folder) {
    std::string bytes = floodtext::Lines(FloodBytes) + floodtext::Marker(0);
    std::wstring text(bytes.begin(), bytes.end());
    std::unique_ptr<RichEditCeiling> ceiling;
    LatencyProbe probe;
    std::vector<double> program, bare;
    for (int round = 1; round <= MaximumRounds && (round <= MinimumRounds || probe.CountedProbes() < MinimumProbes);
         ++round) {
        FloodSession session(folder, round);
        if (!session.Ready()) {
            fprintf(stderr, "bench_display: the program's flood window did not appear\n");
            continue;
        }
        ceiling = ceiling ? std::move(ceiling) : std::unique_ptr<RichEditCeiling>(new RichEditCeiling(session.View()));
        fprintf(stderr, "bench_display: round %d, bare control MB/s by insert size:", round);
        bare.push_back(CeilingRate(*ceiling, text));
        size_t peak = 0;
        probe.SetTarget(session.Frame());
        probe.SetCounting(true);
        double ms = session.Flood(FloodBytes, true, peak);
        probe.SetCounting(false);
        Sleep(static_cast<DWORD>(LatencyProbe::timeoutMs));  // the program answers the probes still queued
        probe.SetTarget(nullptr);
        double rate = ms > 0 ? static_cast<double>(text.size()) * 1000.0 / ms : 0;
        fprintf(stderr, "; program %.2f MB/s (%.0f ms, %zu probes so far)\n", rate / 1048576.0, ms,
                probe.CountedProbes());
        program.push_back(rate);
    }
    PrintFloodFigures(program, bare, probe.Finish());
}

// Floods of 2 times the scrollback limit, five of them; the private bytes after the first and the
// last, and between them in the log. The limit is kept small here: under Wine a trim of a view of
// 4 million characters takes many seconds.
void MeasureMemory(const testsupport::ScratchDirectory& folder) {
    ScrollbackSetting small(std::to_wstring(MemoryScrollback));
    FloodSession session(folder, 0);
    if (!session.Ready()) {
        fprintf(stderr, "bench_display: the program's flood window did not appear\n");
        return;
    }
    fprintf(stderr, "bench_display: scrollback %zu characters; private MB after each 2x flood:", MemoryScrollback);
    std::vector<size_t> after;
    for (int flood = 0; flood < 5; ++flood) {
        size_t peak = 0;
        double ms = session.Flood(2 * MemoryScrollback, false, peak);
        after.push_back(session.PrivateBytes());
        fprintf(stderr, " %.1f (peak %.1f, %.0f ms)", Mb(after.back()), Mb(peak), ms);
    }
    fprintf(stderr, "\n");
    printf("display_peak_mb: %.1f\n", Mb(after.back()));
    printf("display_peak_2x_mb: %.1f\n", Mb(after.front()));
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
    MeasureFloods(folder);
    MeasureMemory(folder);
    MeasureStartup(folder);
    return 0;
}
