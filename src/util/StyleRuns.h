#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "util/TextStyle.h"

namespace util {

// A run of one style within a line: from start up to the next run's start, or the line's end.
struct StyleRun {
    uint32_t start;
    TextStyle style;
};

// The style runs of one line. Most coloured lines have only a few, so the first kInline are kept
// inside the object and only a line with more takes a block of its own: a coloured line then
// costs no more allocations than a plain one. Used like a vector of StyleRun.
class StyleRuns {
public:
    static const size_t kInline = 4;

    StyleRuns() = default;
    StyleRuns(std::initializer_list<StyleRun> runs);
    StyleRuns(const StyleRuns& other);
    StyleRuns(StyleRuns&& other) noexcept;
    StyleRuns& operator=(const StyleRuns& other);
    StyleRuns& operator=(StyleRuns&& other) noexcept;

    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    StyleRun* begin() { return Items(); }
    StyleRun* end() { return Items() + count; }
    const StyleRun* begin() const { return Items(); }
    const StyleRun* end() const { return Items() + count; }
    StyleRun& operator[](size_t index) { return Items()[index]; }
    const StyleRun& operator[](size_t index) const { return Items()[index]; }
    StyleRun& back() { return Items()[count - 1]; }
    const StyleRun& back() const { return Items()[count - 1]; }

    void push_back(const StyleRun& run);
    void pop_back() { --count; }
    // Keeps the room taken, as a vector does.
    void clear() { count = 0; }
    void reserve(size_t room);

private:
    StyleRun* Items() { return spilled ? spilled.get() : local; }
    const StyleRun* Items() const { return spilled ? spilled.get() : local; }
    void CopyFrom(const StyleRuns& other);

    StyleRun local[kInline];
    std::unique_ptr<StyleRun[]> spilled;  // the runs once there are more than kInline
    uint32_t count = 0;
    uint32_t capacity = kInline;
};

}  // namespace util
