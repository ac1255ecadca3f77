// Measures finding in the real program, driven from outside: a view filled to the scrollback
// limit with 80-column lines, the find strip open, and the time from typing the last letter of a
// word that occurs about a thousand times until the count shows it and the first match is
// selected; how long posted messages wait meanwhile; and how long showing the times of that full
// view takes; and how fast a flood shows with the strip open on a word of it, against the same
// flood with the strip closed. Prints "name: value" lines; details go to standard error.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "FloodSession.h"
#include "FloodText.h"
#include "LatencyProbe.h"
#include "ScrollbackSetting.h"
#include "support/ScratchDirectory.h"

namespace {

const size_t Scrollback = 4000000;
const int Searches = 20;
const double WaitMs = 30000;
const size_t FloodBytes = 3 * Scrollback;  // the view trims as it does in a long run
const int FloodPairs = 21;
const double FloodWaitMs = 60000;
// The menu commands and the strip's controls, as the program numbers them.
const int FindCommand = 40204;
const int ShowTimestampsCommand = 40207;
const int FieldId = 100;
const int CountId = 105;

std::wstring TextOf(HWND window) {
    wchar_t buffer[128] = {};
    SendMessageW(window, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

size_t SelectionLength(HWND view) {
    DWORD start = 0, end = 0;
    SendMessageW(view, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return end - start;
}

// The strip of the process window that holds view, opened.
HWND OpenStrip(FloodSession& session) {
    SendMessageW(session.Frame(), WM_COMMAND, MAKEWPARAM(FindCommand, 0), 0);
    return FindWindowExW(GetParent(session.View()), nullptr, L"FindBar", nullptr);
}

// Puts the word less its last letter in the field, the view's selection at its start first, and
// returns the count that shows then.
std::wstring TypeAllButLast(HWND view, HWND field, HWND count) {
    std::wstring word(floodtext::SoughtWord, floodtext::SoughtWord + strlen(floodtext::SoughtWord));
    SendMessageW(view, EM_SETSEL, 0, 0);
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(word.substr(0, word.size() - 1).c_str()));
    SendMessageW(field, EM_SETSEL, word.size() - 1, word.size() - 1);
    return TextOf(count);
}

// Types the last letter as a key would and times it until the count has changed to "1 of ..."
// and the word is selected; negative when that did not come.
double TimeLastLetter(HWND view, HWND field, HWND count, const std::wstring& before, std::wstring& shown) {
    size_t length = strlen(floodtext::SoughtWord);
    double start = NowMs();
    PostMessageW(field, WM_CHAR, static_cast<WPARAM>(floodtext::SoughtWord[length - 1]), 1);
    while (NowMs() - start < WaitMs) {
        shown = TextOf(count);
        if (shown != before && shown.compare(0, 5, L"1 of ") == 0 && SelectionLength(view) == length) {
            return NowMs() - start;
        }
    }
    return -1;
}

void MeasureSearches(FloodSession& session) {
    HWND strip = OpenStrip(session);
    HWND field = GetDlgItem(strip, FieldId), count = GetDlgItem(strip, CountId), view = session.View();
    if (!field || !count) {
        fprintf(stderr, "bench_find_view: the find strip did not open\n");
        return;
    }
    LatencyProbe probe;
    probe.SetTarget(session.Frame());
    std::vector<double> times;
    std::wstring shown;
    for (int search = 0; search < Searches; ++search) {
        std::wstring before = TypeAllButLast(view, field, count);
        probe.SetCounting(true);
        double ms = TimeLastLetter(view, field, count, before, shown);
        probe.SetCounting(false);
        if (ms < 0) {
            fprintf(stderr, "bench_find_view: search %d did not show (count \"%ls\")\n", search + 1, shown.c_str());
            continue;
        }
        times.push_back(ms);
        Sleep(100);  // probes of the quiet view between searches
    }
    LatencyProbe::Summary latency = probe.Finish();
    fprintf(stderr, "bench_find_view: %zu searches, count \"%ls\", median %.1f ms, p95 %.1f ms, slowest %.1f ms; "
            "%zu probes, p99 %.1f ms, %zu missed\n", times.size(), shown.c_str(), Percentile(times, 0.5),
            Percentile(times, 0.95), Percentile(times, 1.0), latency.probes, latency.p99Ms, latency.misses);
    if (times.empty()) {
        return;
    }
    printf("find_ms: %.1f\n", Percentile(times, 0.95));
    printf("find_median_ms: %.1f\n", Percentile(times, 0.5));
    printf("find_latency_ms: %.1f\n", latency.p99Ms);
}

// The command, then the paint it leaves due, both waited for.
void MeasureTimestamps(FloodSession& session) {
    double start = NowMs();
    SendMessageW(session.Frame(), WM_COMMAND, MAKEWPARAM(ShowTimestampsCommand, 0), 0);
    SendMessageW(session.View(), WM_PAINT, 0, 0);
    double ms = NowMs() - start;
    fprintf(stderr, "bench_find_view: times shown in %.1f ms\n", ms);
    printf("timestamps_toggle_ms: %.1f\n", ms);
}

// The searches and the times shown over a view filled to the limit.
bool MeasureFullView(const testsupport::ScratchDirectory& folder) {
    FloodSession session(folder, 1);
    if (!session.Ready()) {
        fprintf(stderr, "bench_find_view: the program's flood window did not appear\n");
        return false;
    }
    size_t peak = 0;
    // More than the limit, so that the view is full however its trimming rounds.
    if (session.Flood(Scrollback + Scrollback / 4, false, peak, floodtext::Kind::Words) < 0) {
        fprintf(stderr, "bench_find_view: the view did not fill\n");
        return false;
    }
    fprintf(stderr, "bench_find_view: view holds %ld characters\n",
            static_cast<long>(SendMessageW(session.View(), WM_GETTEXTLENGTH, 0, 0)));
    MeasureSearches(session);
    MeasureTimestamps(session);
    return true;
}

// One flood of lines with the word into the full view, the strip open on the word or closed.
// Returns its milliseconds, negative when its end did not show; counted is what the strip's count
// read once the flood was in, and where the view was.
double TimedFlood(FloodSession& session, bool searching, std::wstring& counted) {
    HWND strip = nullptr;
    if (searching) {
        strip = OpenStrip(session);
        std::wstring word(floodtext::SoughtWord, floodtext::SoughtWord + strlen(floodtext::SoughtWord));
        SendMessageW(GetDlgItem(strip, FieldId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(word.c_str()));
    }
    // The search selects a match and stops the view there; both floods are watched from the bottom.
    SendMessageW(session.View(), EM_SETSEL, static_cast<WPARAM>(-1), 0);
    SendMessageW(session.View(), WM_VSCROLL, SB_BOTTOM, 0);
    double ms = session.FloodToMarker(FloodBytes, floodtext::Kind::Words, FloodWaitMs);
    if (strip) {
        Sleep(600);  // the count's timer comes round twice
        counted = TextOf(GetDlgItem(strip, CountId)) + L", view at line " +
                  std::to_wstring(SendMessageW(session.View(), EM_GETFIRSTVISIBLELINE, 0, 0)) + L" of " +
                  std::to_wstring(SendMessageW(session.View(), EM_GETLINECOUNT, 0, 0));
        SendMessageW(strip, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);  // Escape: the strip closes
    }
    return ms;
}

// Pairs of floods into a view kept full, one with the search open and one without, each first in
// turn. Prints the median of the pairs' ratios of rates, or -1 when any flood's end did not show.
void MeasureFloodWithSearch(const testsupport::ScratchDirectory& folder) {
    FloodSession session(folder, 2);
    size_t peak = 0;
    if (!session.Ready() || session.Flood(Scrollback + Scrollback / 4, false, peak, floodtext::Kind::Words) < 0) {
        fprintf(stderr, "bench_find_view: the flood window did not appear or fill\n");
        printf("find_display_ratio: -1\n");
        return;
    }
    std::vector<double> ratios;
    bool failed = false;
    for (int pair = 0; pair < FloodPairs && !failed; ++pair) {
        std::wstring counted;
        double plainMs = 0, searchMs = 0;
        for (int turn = 0; turn < 2; ++turn) {
            bool searching = (turn + pair) % 2 == 1;
            (searching ? searchMs : plainMs) = TimedFlood(session, searching, counted);
        }
        failed = plainMs <= 0 || searchMs <= 0;
        ratios.push_back(failed ? -1 : plainMs / searchMs);
        fprintf(stderr, "bench_find_view: flood pair %d: plain %.0f ms, searching %.0f ms (count \"%ls\"), ratio %.3f\n",
                pair + 1, plainMs, searchMs, counted.c_str(), ratios.back());
    }
    fprintf(stderr, "bench_find_view: flood with a search open against without: median %.3f (%.3f to %.3f)\n",
            Percentile(ratios, 0.5), Percentile(ratios, 0), Percentile(ratios, 1));
    printf("find_display_ratio: %.3f\n", failed ? -1 : Percentile(ratios, 0.5));
}

}  // namespace

// With arguments, only the parts named: view (the searches and times of a full view), floods.
int main(int argc, char** argv) {
    setvbuf(stderr, nullptr, _IONBF, 0);
    auto wanted = [&](const char* part) {
        return argc < 2 || std::any_of(argv + 1, argv + argc, [&](const char* given) { return !strcmp(given, part); });
    };
    ScrollbackSetting scrollback(std::to_wstring(Scrollback));
    testsupport::ScratchDirectory folder;
    bool fine = !wanted("view") || MeasureFullView(folder);
    if (wanted("floods")) {
        MeasureFloodWithSearch(folder);
    }
    return fine ? 0 : 1;
}
