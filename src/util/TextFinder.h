#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "util/TextPosition.h"

namespace util {

class LineStore;

// What the user looks for: a text, whether letter case must match, whether it must stand as a
// whole word (not inside a longer run of letters, digits and underscores).
struct FindQuery {
    std::wstring text;
    bool matchCase = false;
    bool wholeWord = false;
};

// One match: it starts at start and goes on for length characters of the same line.
struct TextMatch {
    TextPosition start;
    size_t length = 0;
};

// Finds a query in the lines of a LineStore and keeps the count of its matches as output comes
// and old lines go. Matches lie within one line and do not overlap: after a match the search goes
// on past its end. An empty query matches nothing.
//
// The count is kept per line: Update counts only the lines that came since the last call (and the
// last line again, which output may still change), and forgets the lines the store dropped, so a
// view can keep its "3 of 17" right at the cost of its new output only.
class TextFinder {
public:
    TextFinder();

    // Sets what to look for; the count starts again from nothing at the next Update.
    void SetQuery(const FindQuery& newQuery);
    const FindQuery& GetQuery() const { return query; }

    // Brings the count up to what store holds now.
    void Update(const LineStore& store);
    // Matches in the lines counted at the last Update.
    size_t Count() const { return total; }
    // Which match, from 1, starts at start among those counted; 0 when none starts there.
    size_t OrdinalOf(const LineStore& store, TextPosition start) const;

    // The nearest match that starts at or after from (forward) or before from (backward); past the
    // end of the store the search goes round from the other end, and wrapped tells so. False when
    // there is no match at all.
    bool Next(const LineStore& store, TextPosition from, bool backward, TextMatch& match, bool& wrapped) const;
    // The matches in the lines firstLine up to (not including) endLine, in order; for drawing.
    std::vector<TextMatch> MatchesIn(const LineStore& store, uint64_t firstLine, uint64_t endLine) const;

    // The columns where matches start in text, in order (each query.text.size() long).
    std::vector<size_t> FindInLine(const std::wstring& text) const;

private:
    size_t CountInLine(const std::wstring& text) const;
    // The next match in text at or after column from; npos when none.
    size_t MatchAt(const std::wstring& text, size_t from) const;
    // The next place at or after from, up to last, where text equals the query in folded case.
    size_t FoldedFind(const std::wstring& text, size_t from, size_t last) const;
    void MakeShifts();
    bool IsWholeWord(const std::wstring& text, size_t at) const;
    // The matches of one line counted at the last Update (0 for a line not counted).
    uint32_t CountedIn(uint64_t line) const;
    bool FirstInLines(const LineStore& store, uint64_t from, uint64_t end, size_t column, TextMatch& match) const;
    bool LastInLines(const LineStore& store, uint64_t from, uint64_t end, TextPosition before, TextMatch& match) const;

    FindQuery query;
    static const size_t kShiftTable = 256;
    std::wstring folded;          // query.text in the case it is compared in
    std::vector<size_t> shifts;   // FoldedFind's steps by character below kShiftTable
    size_t wideShift;             // and for the characters above
    std::deque<uint32_t> counts;  // per line from countedFirst on
    uint64_t countedFirst;
    size_t total;
};

}  // namespace util
