#pragma once

#include <cstdint>
#include <string>

#include "util/LineStore.h"
#include "util/TextPosition.h"

// Whether an output view shows each line's arrival time in front of it, and the text it then
// copies and saves. The times are drawn at paint time: turning them on or off never touches the
// lines held, however many there are.
class OutputTimes {
public:
    bool Shown() const { return shown; }
    void Show(bool flag) { shown = flag; }
    // Cells in front of each line: none while the times are hidden.
    size_t Cells() const;
    // A line's prefix as drawn (blanks for a continuation line, which goes on from the one before).
    std::wstring Prefix(const util::StoredLine& line) const;
    // The text from one position to another, with the times when they are shown.
    std::wstring Text(const util::LineStore& store, util::TextPosition from, util::TextPosition to) const;
    // The whole text as saved: tabs written as tabs again, with the times when they are shown.
    std::wstring SavedText(const util::LineStore& store) const;

    // A time in milliseconds since 1970-01-01 UTC in the local time of that moment.
    static int64_t ToLocal(int64_t utcMs);

private:
    bool shown = false;
};
