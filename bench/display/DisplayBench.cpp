// Measures the program as a user meets it, driven from outside: how fast a flood of output shows
// against the capture path with a view that draws nothing, and coloured and UTF-8 floods against
// the plain one, how long posted messages wait meanwhile, a progress line rewritten in place,
// one endless line, its memory and latency under a flood of ten times the scrollback
// limit, and its start-up against a bare window program. Prints "name: value" lines; details go
// to standard error.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
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

// The rates of each round's floods, characters shown a second: the capture path's, and the
// program's for the plain, coloured and UTF-8 floods (the same characters shown).
struct FloodRates {
    std::vector<double> capture, plain, colour, utf8;
};

double RatioOfMedians(const std::vector<double>& part, const std::vector<double>& whole) {
    double below = SpreadOf(whole).median;
    return below > 0 ? SpreadOf(part).median / below : 0.0;
}

void PrintRates(const char* what, const std::vector<double>& rates, const std::vector<double>& against) {
    Spread shown = SpreadOf(rates);
    std::vector<double> ratios;
    for (size_t i = 0; i < rates.size() && i < against.size(); ++i) {
        ratios.push_back(against[i] > 0 ? rates[i] / against[i] : 0);
    }
    Spread byRound = SpreadOf(ratios);
    fprintf(stderr, "bench_display: %s %.2f MB/s median (%.2f to %.2f); ratio by round %.3f median (%.3f to %.3f)\n",
            what, shown.median / 1048576.0, shown.low / 1048576.0, shown.high / 1048576.0, byRound.median,
            byRound.low, byRound.high);
}

void PrintLatency(const char* what, const LatencyProbe::Summary& latency) {
    fprintf(stderr,
            "bench_display: %zu probes during %s floods, median %.1f ms, p99 %.1f ms, slowest answered %.1f ms, "
            "%zu missed (no echo within %.0f ms)\n",
            latency.probes, what, latency.medianMs, latency.p99Ms, latency.maxMs, latency.misses,
            LatencyProbe::timeoutMs);
}

// Medians of interleaved rounds on both sides: the fastest of many noisy rounds of the bare
// control would rate the program against the machine's luckiest moment.
void PrintFloodFigures(const FloodRates& rates, const LatencyProbe::Summary& plain,
                       const LatencyProbe::Summary& colour) {
    fprintf(stderr, "bench_display: %zu rounds\n", rates.plain.size());
    PrintRates("capture path", rates.capture, rates.capture);
    PrintRates("plain flood against the capture path:", rates.plain, rates.capture);
    PrintRates("coloured flood against the plain:", rates.colour, rates.plain);
    PrintRates("UTF-8 flood against the plain:", rates.utf8, rates.plain);
    PrintLatency("plain", plain);
    PrintLatency("coloured", colour);
    printf("display_ratio: %.3f\n", RatioOfMedians(rates.plain, rates.capture));
    printf("display_mb_s: %.2f\n", SpreadOf(rates.plain).median / 1048576.0);
    printf("display_colour_ratio: %.3f\n", RatioOfMedians(rates.colour, rates.plain));
    printf("display_utf8_ratio: %.3f\n", RatioOfMedians(rates.utf8, rates.plain));
    printf("ui_latency_ms: %.1f\n", plain.p99Ms);
    printf("ui_latency_misses: %zu\n", plain.misses);
    printf("ui_latency_colour_ms: %.1f\n", colour.p99Ms);
}

// One 3 MB flood of kind into the session's view, probed by probe (may be null); the view is
// emptied afterwards. Returns the characters shown a second.
double TimedFlood(FloodSession& session, floodtext::Kind kind, LatencyProbe* probe) {
    static const size_t shown = floodtext::Lines(FloodBytes).size() + floodtext::Marker(0).size();
    size_t peak = 0;
    if (probe) {
        probe->SetTarget(session.Frame());
        probe->SetCounting(true);
    }
    double ms = session.Flood(FloodBytes, true, peak, kind);
    if (probe) {
        probe->SetCounting(false);
        Sleep(static_cast<DWORD>(LatencyProbe::timeoutMs));  // the program answers the probes still queued
        probe->SetTarget(nullptr);
    }
    session.Clear();
    return ms > 0 ? static_cast<double>(shown) * 1000.0 / ms : 0;
}

// Rounds of 3 MB floods into a fresh program, each after the same flood through the capture
// path: plain, coloured and UTF-8 lines, until the probes sent during the plain and the coloured
// floods are enough. Prints the display and latency figures; returns the plain floods' median rate.
double MeasureFloods(const testsupport::ScratchDirectory& folder) {
    CapturePath capture;
    LatencyProbe plainProbe, colourProbe;
    FloodRates rates;
    for (int round = 1; round <= MaximumRounds && (round <= MinimumRounds || plainProbe.CountedProbes() < MinimumProbes ||
                                                   colourProbe.CountedProbes() < MinimumProbes);
         ++round) {
        FloodSession session(folder, round);
        if (!session.Ready()) {
            fprintf(stderr, "bench_display: the program's flood window did not appear\n");
            continue;
        }
        rates.capture.push_back(capture.Rate(FloodBytes));
        rates.plain.push_back(TimedFlood(session, floodtext::Kind::Plain, &plainProbe));
        rates.colour.push_back(TimedFlood(session, floodtext::Kind::Colour, &colourProbe));
        rates.utf8.push_back(TimedFlood(session, floodtext::Kind::Utf8, nullptr));
        fprintf(stderr, "bench_display: round %d, MB/s: capture path %.2f, plain %.2f, coloured %.2f, UTF-8 %.2f\n",
                round, rates.capture.back() / 1048576.0, rates.plain.back() / 1048576.0,
                rates.colour.back() / 1048576.0, rates.utf8.back() / 1048576.0);
    }
    PrintFloodFigures(rates, plainProbe.Finish(), colourProbe.Finish());
    return SpreadOf(rates.plain).median;
}

// A progress line rewritten 10,000 times with bare CRs: the lines the view holds afterwards.
void MeasureProgress(const testsupport::ScratchDirectory& folder) {
    FloodSession session(folder, 102);
    long lines = session.Ready() ? session.Progress(10000) : -1;
    fprintf(stderr, "bench_display: 10000 progress steps leave %ld lines\n", lines);
    printf("progress_lines: %ld\n", lines);
}

// 50 MB with no line break, until its end is in the view.
void MeasureLongLine(const testsupport::ScratchDirectory& folder, double displayRate) {
    FloodSession session(folder, 100);
    size_t peak = 0;
    double ms = session.Ready() ? session.Flood(LongLineBytes, false, peak, floodtext::Kind::LongLine) : -1;
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

// With arguments, only the parts named: floods, long, trims, progress, startup.
int main(int argc, char** argv) {
    setvbuf(stderr, nullptr, _IONBF, 0);  // progress shows as it comes
    auto wanted = [&](const char* part) {
        return argc < 2 || std::any_of(argv + 1, argv + argc, [&](const char* given) { return !strcmp(given, part); });
    };
    ScrollbackSetting scrollback(std::to_wstring(Scrollback));
    testsupport::ScratchDirectory folder;
    double displayRate = wanted("floods") ? MeasureFloods(folder) : 0;
    if (wanted("long")) {
        MeasureLongLine(folder, displayRate);
    }
    if (wanted("trims")) {
        MeasureTrims(folder);
    }
    if (wanted("progress")) {
        MeasureProgress(folder);
    }
    if (wanted("startup")) {
        MeasureStartup(folder);
    }
    return 0;
}
