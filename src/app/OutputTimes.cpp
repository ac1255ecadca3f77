#include "app/OutputTimes.h"

#include <windows.h>

#include "util/Timestamps.h"

namespace {

const int64_t kUnixEpochTicks = 116444736000000000LL;  // 100 ns ticks from 1601 to 1970
const int64_t kTicksPerMs = 10000;

}  // namespace

size_t OutputTimes::Cells() const {
    return shown ? util::Timestamps::kWidth : 0;
}

std::wstring OutputTimes::Prefix(const util::StoredLine& line) const {
    if (line.continuation) {
        return std::wstring(util::Timestamps::kWidth, L' ');
    }
    return util::Timestamps::Format(ToLocal(line.arrival));
}

std::wstring OutputTimes::Text(const util::LineStore& store, util::TextPosition from, util::TextPosition to) const {
    return shown ? util::Timestamps::Text(store, from, to, ToLocal) : store.Text(from, to);
}

std::wstring OutputTimes::SavedText(const util::LineStore& store) const {
    return shown ? util::Timestamps::Text(store, {store.FirstNumber(), 0}, store.End(), ToLocal, true)
                 : store.AllTextWithTabs();
}

int64_t OutputTimes::ToLocal(int64_t utcMs) {
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>(utcMs * kTicksPerMs + kUnixEpochTicks);
    FILETIME utc = {ticks.LowPart, ticks.HighPart};
    SYSTEMTIME universal = {}, local = {};
    FILETIME localTime = {};
    // The zone's rule for that date, so that a line from before a change of summer time keeps its
    // own offset.
    if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local) ||
        !SystemTimeToFileTime(&local, &localTime)) {
        return utcMs;
    }
    ULARGE_INTEGER localTicks = {{localTime.dwLowDateTime, localTime.dwHighDateTime}};
    return (static_cast<int64_t>(localTicks.QuadPart) - kUnixEpochTicks) / kTicksPerMs;
}
