#include "util/LineStore.h"

namespace util {

TextStyle StoredLine::StyleAt(size_t column) const {
    TextStyle style;
    for (const StyleRun& run : runs) {
        if (run.start > column) {
            break;
        }
        style = run.style;
    }
    return style;
}

LineStore::LineStore(size_t limitCharacters) : first(0), characters(0), limit(limitCharacters) {
    lines.emplace_back();
}

void LineStore::ReplaceLast(std::wstring text, std::vector<StyleRun> runs) {
    StoredLine& last = lines.back();
    characters -= last.text.size();
    characters += text.size();
    last.text = std::move(text);
    last.runs = std::move(runs);
}

void LineStore::AppendToLast(const wchar_t* text, size_t count, const TextStyle& style, int64_t arrival) {
    if (count == 0) {
        return;
    }
    StoredLine& last = lines.back();
    if (last.text.empty()) {
        last.arrival = arrival;
    }
    // A run is recorded only where the style changes, so plain output keeps no runs at all.
    TextStyle current = last.runs.empty() ? TextStyle() : last.runs.back().style;
    if (style != current) {
        StyleRun run{static_cast<uint32_t>(last.text.size()), style};
        if (!last.runs.empty() && last.runs.back().start == run.start) {
            last.runs.back() = run;
        } else {
            last.runs.push_back(run);
        }
    }
    last.text.append(text, count);
    characters += count;
}

void LineStore::TruncateLast(size_t length) {
    StoredLine& last = lines.back();
    if (length >= last.text.size()) {
        return;
    }
    characters -= last.text.size() - length;
    last.text.resize(length);
    while (!last.runs.empty() && last.runs.back().start >= length) {
        last.runs.pop_back();
    }
}

void LineStore::NewLine(int64_t arrival, bool continuation) {
    StoredLine line;
    line.arrival = arrival;
    line.continuation = continuation;
    lines.push_back(std::move(line));
    ++characters;
}

size_t LineStore::Trim(uint64_t keepFrom) {
    if (characters <= limit) {
        return 0;
    }
    size_t target = limit / 4 * 3;
    size_t dropped = 0;
    while (characters > target && lines.size() > 1 && first < keepFrom) {
        characters -= lines.front().text.size() + 1;
        lines.pop_front();
        ++first;
        ++dropped;
    }
    return dropped;
}

void LineStore::Clear() {
    first += lines.size();
    lines.clear();
    lines.emplace_back();
    characters = 0;
}

}  // namespace util
