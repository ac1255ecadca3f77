#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "util/StyleRuns.h"
#include "util/TextPosition.h"
#include "util/TextStyle.h"

namespace util {

// One line of output as a console would show it: its text without any control code, the styles
// of its stretches (empty means the default style throughout), when its first character arrived,
// and whether it continues the line before it (a line cut at the length bound).
struct StoredLine {
    std::wstring text;
    StyleRuns runs;
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
    // The longest line held: text beyond it goes on in a continuation line, so that one endless
    // line costs no more than ordinary ones.
    static const size_t kLineBound = 65536;
    static constexpr size_t MaxLineLength = kLineBound;

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
    void ReplaceLast(std::wstring text, StyleRuns runs);
    // Appends to the last line in one style; an empty line takes arrival as its time. Past the
    // line bound the text goes on in continuation lines.
    void AppendToLast(const wchar_t* text, size_t count, const TextStyle& style, int64_t arrival);
    // Plain text in one style: a line feed ends a line, carriage returns are dropped (so a CR LF
    // cut between two calls makes one line break), everything else is appended as it is.
    void AppendText(const wchar_t* text, size_t count, const TextStyle& style, int64_t arrival);
    // Shortens the last line to length characters (no change when it is shorter), dropping the
    // runs that start past it; costs only what is removed.
    void TruncateLast(size_t length);
    // Ends the last line and opens an empty one; continuation marks it as the same line cut.
    void NewLine(int64_t arrival, bool continuation = false);

    // Past the limit, drops the oldest whole lines down to three quarters of it, keeping the line
    // that crosses that mark (and always the last line): so at most the limit and one line bound
    // are held. No line from keepFrom on goes. At most maxLines go in one call, so that a caller
    // can spread the cost of freeing them over several turns (the store then stays between the
    // mark and the limit). Returns how many lines went.
    size_t Trim(uint64_t keepFrom = UINT64_MAX, size_t maxLines = SIZE_MAX);
    // Drops everything; numbering goes on from where it was, so old positions stay invalid.
    void Clear();

    // The nearest position that is held: before the first line it is the first line's start, past
    // the end the last line's end, and a column is held to its line's length.
    TextPosition Clamp(TextPosition position) const;
    TextPosition End() const { return {EndNumber() - 1, Last().text.size()}; }
    // The text between two positions as plain text: a CR LF between lines, none before a
    // continuation line. Both positions are clamped first; from after to gives nothing.
    std::wstring Text(TextPosition from, TextPosition to) const;
    std::wstring AllText() const { return Text({first, 0}, End()); }
    // AllText with the blanks that tabs became (TextStyle::Tab) written as those tabs again.
    std::wstring AllTextWithTabs() const;
    // Copies as much of AllText as room allows, less one for the terminating zero that ends it;
    // returns the characters copied (without the zero). Nothing is copied into no room.
    size_t CopyText(wchar_t* target, size_t room) const;
    // Copies up to room characters of the text of the line index lines after the first held one,
    // without a terminating zero; returns how many (0 for a line not held).
    size_t CopyLine(size_t index, wchar_t* target, size_t room) const;
    // The length of AllText, without building it.
    size_t TextLength() const;
    // Where a position lies in AllText (the position clamped), and back.
    size_t OffsetOf(TextPosition position) const;
    TextPosition PositionAt(size_t offset) const;

    // Whether a CR LF stands between line number and the one before it.
    bool BreakBefore(uint64_t number) const { return number > first && !At(number).continuation; }
    // Appends a line's text with the blanks that tabs became written as those tabs again.
    static void AppendWithTabs(const StoredLine& line, std::wstring& text);

private:

    std::deque<StoredLine> lines;
    uint64_t first;
    size_t characters;
    size_t continuations;  // held lines marked as continuations
    size_t limit;
};

}  // namespace util
