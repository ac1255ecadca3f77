#include "net/http/TransferWatch.h"

#include <gtest/gtest.h>

namespace {

using net::http::TransferWatch;
using Verdict = TransferWatch::Verdict;

class TransferWatchTest : public ::testing::Test {
protected:
    TransferWatchTest() {
        limits.minimumBytes = 100;
        limits.windowMs = 1000;
        limits.totalMs = 5000;
    }
    TransferWatch::Limits limits;
    uint64_t now = 1000000;
};

TEST_F(TransferWatchTest, EveryWindowOwesTheMinimum) {
    TransferWatch watch(limits, [this] { return now; });
    now += 999;
    EXPECT_EQ(Verdict::Go, watch.Received(99));  // short of the minimum, but the window is not over
    EXPECT_EQ(1u, watch.MillisecondsUntilDue());
    now += 1;
    EXPECT_EQ(Verdict::TooSlow, watch.Check());

    TransferWatch steady(limits, [this] { return now; });
    for (int i = 0; i < 4; ++i) {
        now += 900;
        EXPECT_EQ(Verdict::Go, steady.Received(100)) << i;  // each window met in time
    }
    EXPECT_EQ(1000u, steady.MillisecondsUntilDue());
    now += 500;
    EXPECT_EQ(Verdict::Go, steady.Received(60));
    now += 499;
    EXPECT_EQ(Verdict::Go, steady.Received(39));  // 99 bytes in this window
    now += 1;
    EXPECT_EQ(Verdict::TooSlow, steady.Check());
    EXPECT_EQ(4u * 100 + 99, steady.GetTotal());
}

TEST_F(TransferWatchTest, ABurstDoesNotBuyLaterSilence) {
    TransferWatch watch(limits, [this] { return now; });
    EXPECT_EQ(Verdict::Go, watch.Received(1000000));
    now += 1000;
    EXPECT_EQ(Verdict::TooSlow, watch.Check());
}

TEST_F(TransferWatchTest, TheWholeTimeIsBoundedAndCancelIsFinal) {
    TransferWatch watch(limits, [this] { return now; });
    for (int i = 0; i < 5; ++i) {
        EXPECT_LE(watch.MillisecondsUntilDue(), 1000u);
        now += 990;
        EXPECT_EQ(Verdict::Go, watch.Received(100));
    }
    EXPECT_EQ(50u, watch.MillisecondsUntilDue());  // the total ends before the window
    now += 50;
    EXPECT_EQ(Verdict::TooLong, watch.Received(100));

    TransferWatch cancelled(limits, [this] { return now; });
    EXPECT_FALSE(cancelled.IsCancelled());
    cancelled.Cancel();
    EXPECT_TRUE(cancelled.GetCancelFlag()->load());
    EXPECT_EQ(Verdict::Cancelled, cancelled.Received(1000));
    EXPECT_EQ(Verdict::Cancelled, cancelled.Check());
    EXPECT_STREQ(L"The download was cancelled.", TransferWatch::Describe(Verdict::Cancelled));
    EXPECT_STREQ(L"", TransferWatch::Describe(Verdict::Go));
}

}  // namespace
