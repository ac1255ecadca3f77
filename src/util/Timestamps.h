#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "util/LineStore.h"
#include "util/TextPosition.h"

namespace util {

// The arrival times shown in front of the lines: "HH:MM:SS.mmm " in local time, one prefix of a
// fixed width, so that the view can draw it at paint time without changing what the store holds.
class Timestamps {
public:
    // Turns a time in milliseconds since 1970-01-01 UTC into the same in local time.
    using LocalTime = std::function<int64_t(int64_t utcMs)>;

    // Characters of a prefix, the blank after the time included.
    static const size_t kWidth = 13;

    // The prefix of a local time in milliseconds since 1970-01-01.
    static std::wstring Format(int64_t localMs);
    // The text from one position to another (CR LF line ends) with the prefix in front of each
    // line whose start lies in it; a continuation line gets none, being part of the one before.
    // withTabs: blanks that were tabs written as tabs again (as the whole text is saved).
    static std::wstring Text(const LineStore& store, TextPosition from, TextPosition to, const LocalTime& local,
                             bool withTabs = false);
};

}  // namespace util
