#include "common/RestartLine.h"

namespace {

std::wstring TwoDigits(int value) {
    return (value < 10 ? L"0" : L"") + std::to_wstring(value);
}

std::wstring Quoted(RestartPolicy::Mode mode) {
    return L"Restart policy \"" + std::wstring(RestartPolicy::Name(mode)) + L"\"";
}

}  // namespace

std::wstring RestartLine::Announced(RestartPolicy::Mode mode,
                                    const std::wstring& after,
                                    uint64_t delayMs,
                                    int hour,
                                    int minute,
                                    int second) {
    return Quoted(mode) + L" after " + after + L": starting again in " +
           std::to_wstring(static_cast<int>(delayMs / 1000)) + L" s, at " + TwoDigits(hour) + L":" +
           TwoDigits(minute) + L":" + TwoDigits(second) + L".\r\n";
}

std::wstring RestartLine::CalledOff(RestartPolicy::Mode mode) {
    return Quoted(mode) + L" now: not starting again.\r\n";
}
