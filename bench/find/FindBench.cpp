// Counts a word over 4,000,000 characters of output in 80-column lines, where it occurs 1,000
// times: the full count a view makes when the user types a search, and the count kept as one
// more screenful of output arrives. Prints the median and the spread of several runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "util/LineStore.h"
#include "util/TextFinder.h"

namespace {

const size_t kCharacters = 4000000;
const size_t kColumns = 80;
const size_t kOccurrences = 1000;
const int kRuns = 15;

void Fill(util::LineStore& store) {
    const size_t lines = kCharacters / (kColumns + 1);
    const size_t every = lines / kOccurrences;
    std::wstring filler;
    for (size_t i = 0; filler.size() < kColumns; ++i) {
        filler += L"lorem ipsum dolor sit amet consectetur "[i % 39];
    }
    for (size_t line = 0; line < lines; ++line) {
        std::wstring text = filler;
        if (line % every == 0 && line / every < kOccurrences) {
            text.replace(40, 8, L" Needle ");
        }
        text += L'\n';
        store.AppendText(text.data(), text.size(), util::TextStyle(), 0);
    }
}

double Milliseconds(std::chrono::steady_clock::duration elapsed) {
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

void Report(const char* name, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%s_ms: %.3f\n%s_spread_ms: %.3f\n", name, times[times.size() / 2], name, times.back() - times.front());
}

}  // namespace

int main() {
    util::LineStore store(kCharacters + kCharacters / 10);
    Fill(store);
    std::vector<double> full, caseless, kept;
    size_t count = 0;
    for (int run = 0; run < kRuns; ++run) {
        for (bool matchCase : {true, false}) {
            util::TextFinder finder;
            finder.SetQuery(util::FindQuery{matchCase ? L"Needle" : L"needle", matchCase, true});
            auto start = std::chrono::steady_clock::now();
            finder.Update(store);
            (matchCase ? full : caseless).push_back(Milliseconds(std::chrono::steady_clock::now() - start));
            count = matchCase ? count : finder.Count();
            if (!matchCase) {
                std::wstring screen;
                for (int line = 0; line < 50; ++line) {
                    screen += std::wstring(kColumns, L'x') + L"\n";
                }
                store.AppendText(screen.data(), screen.size(), util::TextStyle(), 0);
                start = std::chrono::steady_clock::now();
                finder.Update(store);
                kept.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
            }
        }
    }
    std::printf("find_matches: %zu of %zu characters\n", count, store.Characters());
    Report("find_count_match_case", full);
    Report("find_count", caseless);
    Report("find_count_kept", kept);
    return count == kOccurrences ? 0 : 1;
}
