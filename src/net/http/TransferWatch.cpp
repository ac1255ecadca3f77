#include "net/http/TransferWatch.h"

namespace net {
namespace http {

TransferWatch::TransferWatch(const Limits& limits, Clock clock)
    : limits(limits), clock(std::move(clock)), windowBytes(0), total(0), cancelled(false) {
    className = L"TransferWatch";
    started = windowStart = this->clock();
}

TransferWatch::Verdict TransferWatch::Received(uint64_t bytes) {
    total += bytes;
    windowBytes += bytes;
    if (windowBytes >= limits.minimumBytes) {
        // The minimum is owed again in full from now on: a burst does not buy a silent hour.
        windowStart = clock();
        windowBytes = 0;
    }
    return Check();
}

TransferWatch::Verdict TransferWatch::Check() {
    if (cancelled) {
        return Verdict::Cancelled;
    }
    uint64_t now = clock();
    if (now - started >= limits.totalMs) {
        return Verdict::TooLong;
    }
    if (now - windowStart >= limits.windowMs) {
        return Verdict::TooSlow;
    }
    return Verdict::Go;
}

uint64_t TransferWatch::MillisecondsUntilDue() {
    uint64_t now = clock();
    uint64_t windowEnd = windowStart + limits.windowMs;
    uint64_t totalEnd = started + limits.totalMs;
    uint64_t due = windowEnd < totalEnd ? windowEnd : totalEnd;
    return due > now ? due - now : 1;
}

const wchar_t* TransferWatch::Describe(Verdict verdict) {
    switch (verdict) {
        case Verdict::TooSlow:
            return L"The download was too slow: too little arrived for too long.";
        case Verdict::TooLong:
            return L"The download took too long.";
        case Verdict::Cancelled:
            return L"The download was cancelled.";
        default:
            return L"";
    }
}

}  // namespace http
}  // namespace net
