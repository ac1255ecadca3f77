#include "util/LineStore.h"

#include <algorithm>

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

LineStore::LineStore(size_t limitCharacters) : first(0), characters(0), continuations(0), limit(limitCharacters) {
    lines.emplace_back();
}

void LineStore::ReplaceLast(std::wstring text, StyleRuns runs) {
    StoredLine& last = lines.back();
    characters -= last.text.size();
    characters += text.size();
    last.text = std::move(text);
    last.runs = std::move(runs);
}

void LineStore::AppendToLast(const wchar_t* text, size_t count, const TextStyle& style, int64_t arrival) {
    bool full = lines.back().text.size() >= kLineBound;
    while (count > 0) {
        if (full) {
            NewLine(arrival, true);
        }
        StoredLine& last = lines.back();
        size_t piece = std::min(count, kLineBound - last.text.size());
        // A surrogate pair is never cut in two, as long as the line holds anything else.
        if (piece < count && piece > 1 && text[piece - 1] >= 0xD800 && text[piece - 1] < 0xDC00) {
            --piece;
        }
        full = piece < count;
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
        last.text.append(text, piece);
        characters += piece;
        text += piece;
        count -= piece;
    }
}

void LineStore::AppendText(const wchar_t* text, size_t count, const TextStyle& style, int64_t arrival) {
    const wchar_t* end = text + count;
    while (text < end) {
        const wchar_t* stop = text;
        while (stop < end && *stop != L'\n' && *stop != L'\r') {
            ++stop;
        }
        AppendToLast(text, static_cast<size_t>(stop - text), style, arrival);
        if (stop < end && *stop == L'\n') {
            NewLine(arrival);
        }
        text = stop < end ? stop + 1 : stop;
    }
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
    // A line is most likely about as long and as many-coloured as the one before: made that size
    // at once, it takes its pieces without growing several times. Only for lines of ordinary
    // length, so that a long line costs no room in the short lines after it.
    const size_t kOrdinaryLength = 256;
    const StoredLine& before = lines.back();
    StoredLine line;
    if (before.text.size() <= kOrdinaryLength) {
        line.text.reserve(before.text.size());
        line.runs.reserve(before.runs.size());
    }
    line.arrival = arrival;
    line.continuation = continuation;
    lines.push_back(std::move(line));
    ++characters;
    continuations += continuation ? 1 : 0;
}

size_t LineStore::Trim(uint64_t keepFrom, size_t maxLines) {
    if (characters <= limit) {
        return 0;
    }
    size_t target = limit / 4 * 3;
    size_t dropped = 0;
    // The line that crosses the mark stays whole: an endless line cut at the bound is held as far
    // back as that, never dropped all at once.
    while (dropped < maxLines && lines.size() > 1 && first < keepFrom &&
           characters - (lines.front().text.size() + 1) >= target) {
        characters -= lines.front().text.size() + 1;
        continuations -= lines.front().continuation ? 1 : 0;
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
    continuations = 0;
}

TextPosition LineStore::Clamp(TextPosition position) const {
    if (position.line < first) {
        return {first, 0};
    }
    if (position.line >= EndNumber()) {
        return End();
    }
    position.column = std::min(position.column, At(position.line).text.size());
    return position;
}

std::wstring LineStore::Text(TextPosition from, TextPosition to) const {
    from = Clamp(from);
    to = Clamp(to);
    std::wstring text;
    if (!(from < to)) {
        return text;
    }
    for (uint64_t number = from.line; number <= to.line; ++number) {
        const std::wstring& line = At(number).text;
        if (number != from.line && BreakBefore(number)) {
            text += L"\r\n";
        }
        size_t start = number == from.line ? from.column : 0;
        size_t stop = number == to.line ? to.column : line.size();
        text.append(line, start, stop - start);
    }
    return text;
}

std::wstring LineStore::AllTextWithTabs() const {
    std::wstring text;
    for (uint64_t number = first; number < EndNumber(); ++number) {
        if (BreakBefore(number)) {
            text += L"\r\n";
        }
        AppendWithTabs(At(number), text);
    }
    return text;
}

void LineStore::AppendWithTabs(const StoredLine& line, std::wstring& text) {
    const size_t kTabWidth = 8;
    size_t from = 0;
    for (size_t i = 0; i <= line.runs.size(); ++i) {
        size_t to = i < line.runs.size() ? line.runs[i].start : line.text.size();
        if (i > 0 && line.runs[i - 1].style.Has(TextStyle::Tab)) {
            // Each tab filled up to a multiple of the width; blanks short of one (a backspace
            // took the rest) stay blanks.
            for (size_t stop = (from / kTabWidth + 1) * kTabWidth; stop <= to; stop += kTabWidth) {
                text += L'\t';
                from = stop;
            }
        }
        text.append(line.text, from, to - from);
        from = to;
    }
}

size_t LineStore::CopyText(wchar_t* target, size_t room) const {
    if (!target || room == 0) {
        return 0;
    }
    wchar_t* end = target + room - 1;
    wchar_t* place = target;
    for (uint64_t number = first; number < EndNumber() && place < end; ++number) {
        const wchar_t* breakText = L"\r\n";
        for (const wchar_t* c = BreakBefore(number) ? breakText : L""; *c && place < end; ++c) {
            *place++ = *c;
        }
        const std::wstring& text = At(number).text;
        size_t count = std::min(text.size(), static_cast<size_t>(end - place));
        std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(count), place);
        place += count;
    }
    *place = L'\0';
    return static_cast<size_t>(place - target);
}

size_t LineStore::CopyLine(size_t index, wchar_t* target, size_t room) const {
    if (!target || index >= lines.size()) {
        return 0;
    }
    const std::wstring& text = lines[index].text;
    size_t count = std::min(text.size(), room);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(count), target);
    return count;
}

size_t LineStore::TextLength() const {
    size_t breaks = lines.size() - 1;
    size_t cuts = continuations - (lines.front().continuation ? 1 : 0);
    return characters - breaks + 2 * (breaks - cuts);
}

size_t LineStore::OffsetOf(TextPosition position) const {
    position = Clamp(position);
    size_t offset = 0;
    for (uint64_t number = first; number < position.line; ++number) {
        offset += At(number).text.size() + (BreakBefore(number + 1) ? 2 : 0);
    }
    return offset + position.column;
}

TextPosition LineStore::PositionAt(size_t offset) const {
    for (uint64_t number = first; number + 1 < EndNumber(); ++number) {
        size_t length = At(number).text.size();
        if (offset <= length) {
            return {number, offset};
        }
        offset -= length;
        size_t breakLength = BreakBefore(number + 1) ? 2 : 0;
        if (offset <= breakLength) {
            return {number + 1, 0};  // inside a CR LF: the next line's start
        }
        offset -= breakLength;
    }
    return Clamp({EndNumber() - 1, offset});
}

}  // namespace util
