#include "util/Timestamps.h"

#include <cwchar>

namespace util {

namespace {

const int64_t kMsPerDay = 24LL * 60 * 60 * 1000;

}  // namespace

const size_t Timestamps::kWidth;

std::wstring Timestamps::Format(int64_t localMs) {
    // Times before 1970 still give the time of day they fall on.
    int64_t ofDay = ((localMs % kMsPerDay) + kMsPerDay) % kMsPerDay;
    wchar_t text[kWidth + 1];
    swprintf(text, kWidth + 1, L"%02d:%02d:%02d.%03d ", static_cast<int>(ofDay / 3600000),
             static_cast<int>(ofDay / 60000 % 60), static_cast<int>(ofDay / 1000 % 60), static_cast<int>(ofDay % 1000));
    return text;
}

std::wstring Timestamps::Text(const LineStore& store, TextPosition from, TextPosition to, const LocalTime& local,
                              bool withTabs) {
    from = store.Clamp(from);
    to = store.Clamp(to);
    std::wstring text;
    if (!(from < to)) {
        return text;
    }
    for (uint64_t number = from.line; number <= to.line; ++number) {
        const StoredLine& line = store.At(number);
        if (number != from.line && store.BreakBefore(number)) {
            text += L"\r\n";
        }
        size_t start = number == from.line ? from.column : 0;
        size_t stop = number == to.line ? to.column : line.text.size();
        if (start == 0 && !line.continuation && (number != to.line || stop > 0)) {
            text += Format(local(line.arrival));
        }
        if (withTabs && start == 0 && stop == line.text.size()) {
            LineStore::AppendWithTabs(line, text);
        } else {
            text.append(line.text, start, stop - start);
        }
    }
    return text;
}

}  // namespace util
