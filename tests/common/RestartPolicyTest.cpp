#include "common/RestartPolicy.h"

#include "common/RestartLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(RestartPolicy, NamesInAnyCaseAndWhichEndsRestart) {
    struct Case {
        const wchar_t* text;
        bool known;
        RestartPolicy::Mode mode;
        bool afterZero;
        bool afterFailure;
    };
    const Case cases[] = {
        {L"never", true, RestartPolicy::Mode::Never, false, false},
        {L"On-Failure", true, RestartPolicy::Mode::OnFailure, false, true},
        {L"ALWAYS", true, RestartPolicy::Mode::Always, true, true},
        {L"sometimes", false, RestartPolicy::Mode::Never, false, false},
        {L"on-failures", false, RestartPolicy::Mode::Never, false, false},
    };
    for (const Case& c : cases) {
        RestartPolicy::Mode mode = RestartPolicy::Mode::Never;
        EXPECT_EQ(c.known, RestartPolicy::Parse(c.text, mode)) << c.text;
        RestartPolicy policy(mode);
        EXPECT_EQ(c.afterZero, policy.Applies(0)) << c.text;
        EXPECT_EQ(c.afterFailure, policy.Applies(0xC0000005u)) << c.text;
        EXPECT_EQ(c.afterFailure, policy.AppliesAfterFailedStart()) << c.text;
        if (c.known) {
            EXPECT_TRUE(RestartPolicy::Parse(RestartPolicy::Name(mode), mode));
        }
    }
}

TEST(RestartPolicy, BacksOffToAMinuteAndStartsAgainAfterASteadyRun) {
    RestartPolicy policy(RestartPolicy::Mode::Always);
    std::vector<uint64_t> delays;
    for (int i = 0; i < 8; ++i) {
        delays.push_back(policy.NextDelay(500));
    }
    EXPECT_EQ((std::vector<uint64_t>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000}), delays);
    EXPECT_EQ(60000u, policy.NextDelay(59999));  // not quite a minute
    EXPECT_EQ(1000u, policy.NextDelay(60000));
    EXPECT_EQ(2000u, policy.NextDelay(10));
    policy.Reset();
    EXPECT_EQ(1000u, policy.NextDelay(10));
}

// Whole seconds of the delay, and the clock time in two digits each.
TEST(RestartPolicy, LinesAnnounceTheNewStartOrItsCallingOff) {
    EXPECT_EQ(L"Restart policy \"always\" after a failed start: starting again in 2 s, at 09:05:00.\r\n",
              RestartLine::Announced(RestartPolicy::Mode::Always, L"a failed start", 2999, 9, 5, 0));
    EXPECT_EQ(L"Restart policy \"on-failure\" after exit code 3: starting again in 60 s, at 23:59:59.\r\n",
              RestartLine::Announced(RestartPolicy::Mode::OnFailure, L"exit code 3", 60000, 23, 59, 59));
    EXPECT_EQ(L"Restart policy \"never\" now: not starting again.\r\n", RestartLine::CalledOff(RestartPolicy::Mode::Never));
}

}  // namespace
