#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "util/TextStyle.h"

namespace util {

// A run of one style within a line: from start up to the next run's start, or the line's end.
struct StyleRun {
    uint32_t start;
    TextStyle style;
};

// One line of output as a console would show it: its text without any control code, the styles
// of its stretches (empty means the default style throughout), when its first character arrived,
// and whether it continues the line before it (a line cut at the length bound).
struct StoredLine {
    std::wstring text;
    std::vector<StyleRun> runs;
    int64_t arrival = 0;  // milliseconds since 1970-01-01 UTC
    bool continuation = false;

    // The style of the character at column (the default past the end).
    TextStyle StyleAt(size_t column) const;
};

// The lines a view holds, bounded by a number of characters (a line break counts as one). Lines
// keep their number for as long as they are held: numbers only grow, the oldest held line has
// FirstNumber, and the last line (the one output is written into) is EndNumber - 1. So a position
// given as (line number, column) names the same text until that line is dropped, whatever is
// appended or trimmed meanwhile. There is always at least one line, possibly empty.
//
// Appending costs in proportion to what is appended, dropping old lines a constant per dropped
// line, and reading a line a constant: nothing ever moves the lines that are kept.
class LineStore {
public:
    // The longest line kept as one: writers go on in a new line marked as a continuation, so one
    // endless line never costs more than ordinary lines do.
    static constexpr size_t MaxLineLength = 64 * 1024;

    explicit LineStore(size_t limitCharacters);

    // Applies from the next Trim on.
    void SetLimit(size_t limitCharacters) { limit = limitCharacters; }
    size_t GetLimit() const { return limit; }

    uint64_t FirstNumber() const { return first; }
    uint64_t EndNumber() const { return first + lines.size(); }
    size_t Count() const { return lines.size(); }
    // Characters held: every line's text plus one per line break.
    size_t Characters() const { return characters; }
    bool Holds(uint64_t number) const { return number >= first && number < EndNumber(); }

    // number must be held.
    const StoredLine& At(uint64_t number) const { return lines[static_cast<size_t>(number - first)]; }
    const StoredLine& Last() const { return lines.back(); }

    // The last line's text may be changed only through these, which keep the count right.
    // Sets the last line's text and runs (a rewritten progress line, a backspace).
    void ReplaceLast(std::wstring text, std::vector<StyleRun> runs);
    // Appends to the last line in one style; an empty line takes arrival as its time.
    void AppendToLast(const wchar_t* text, size_t count, const TextStyle& style, int64_t arrival);
    // Shortens the last line to length characters (no change when it is shorter), dropping the
    // runs that start past it; costs only what is removed.
    void TruncateLast(size_t length);
    // Ends the last line and opens an empty one; continuation marks it as the same line cut.
    void NewLine(int64_t arrival, bool continuation = false);

    // Past the limit, drops the oldest whole lines down to three quarters of it (the last line is
    // never dropped, nor any line from keepFrom on). Returns how many lines went.
    size_t Trim(uint64_t keepFrom = UINT64_MAX);
    // Drops everything; numbering goes on from where it was, so old positions stay invalid.
    void Clear();

private:
    std::deque<StoredLine> lines;
    uint64_t first;
    size_t characters;
    size_t limit;
};

}  // namespace util
