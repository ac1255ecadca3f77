#include "util/StyleRuns.h"

#include <algorithm>

namespace util {

StyleRuns::StyleRuns(std::initializer_list<StyleRun> runs) {
    reserve(runs.size());
    std::copy(runs.begin(), runs.end(), Items());
    count = static_cast<uint32_t>(runs.size());
}

StyleRuns::StyleRuns(const StyleRuns& other) {
    CopyFrom(other);
}

StyleRuns::StyleRuns(StyleRuns&& other) noexcept
    : spilled(std::move(other.spilled)), count(other.count), capacity(other.capacity) {
    if (!spilled) {
        std::copy(other.local, other.local + count, local);
    }
    other.count = 0;
    other.capacity = kInline;
}

StyleRuns& StyleRuns::operator=(const StyleRuns& other) {
    if (this != &other) {
        CopyFrom(other);
    }
    return *this;
}

StyleRuns& StyleRuns::operator=(StyleRuns&& other) noexcept {
    if (this != &other) {
        spilled = std::move(other.spilled);
        count = other.count;
        capacity = other.capacity;
        if (!spilled) {
            std::copy(other.local, other.local + count, local);
        }
        other.count = 0;
        other.capacity = kInline;
    }
    return *this;
}

void StyleRuns::CopyFrom(const StyleRuns& other) {
    count = 0;
    reserve(other.count);
    std::copy(other.begin(), other.end(), Items());
    count = other.count;
}

void StyleRuns::push_back(const StyleRun& run) {
    if (count == capacity) {
        reserve(capacity * 2);
    }
    Items()[count++] = run;
}

void StyleRuns::reserve(size_t room) {
    if (room <= capacity) {
        return;
    }
    std::unique_ptr<StyleRun[]> grown(new StyleRun[room]);
    std::copy(begin(), end(), grown.get());
    spilled = std::move(grown);
    capacity = static_cast<uint32_t>(room);
}

}  // namespace util
