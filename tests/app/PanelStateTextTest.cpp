// The process panel's state texts and icons, from the facts of a process window.
#include <gtest/gtest.h>

#include "app/PanelStateText.h"

namespace {

using Facts = PanelStateText::Facts;
using Icon = PanelStateText::Icon;

const int kStopped = 0, kRunning = 1, kStopping = 2, kWaiting = 3;

Facts Ended(uint32_t code, bool byItself) {
    Facts facts;
    facts.state = kStopped;
    facts.exitCode = code;
    facts.endedByItself = byItself;
    return facts;
}

// A running process counts its run's time in hours, minutes and seconds; the hours grow past
// a day, the seconds are cut, not rounded.
TEST(PanelStateText, RunningShowsTheRunsTimeSoFar) {
    Facts facts;
    facts.state = kRunning;
    facts.runMs = 0;
    EXPECT_EQ(L"running 0:00:00", PanelStateText::Text(facts));
    facts.runMs = 999;
    EXPECT_EQ(L"running 0:00:00", PanelStateText::Text(facts));
    facts.runMs = (12 * 60 + 3) * 1000 + 500;
    EXPECT_EQ(L"running 0:12:03", PanelStateText::Text(facts));
    facts.runMs = ((27 * 60 + 59) * 60 + 59) * 1000ull;
    EXPECT_EQ(L"running 27:59:59", PanelStateText::Text(facts));
    EXPECT_EQ(Icon::Running, PanelStateText::IconFor(facts));
}

// How a run that is over ended: a stop says stopped whatever code it left, a clean end too; a
// code the program chose reads in decimal, a system error status in hex as a crash.
TEST(PanelStateText, AnEndedRunSaysHowItEnded) {
    EXPECT_EQ(L"stopped", PanelStateText::Text(Facts()));
    EXPECT_EQ(L"stopped", PanelStateText::Text(Ended(0, true)));
    EXPECT_EQ(L"stopped", PanelStateText::Text(Ended(1, false)));
    EXPECT_EQ(L"stopped", PanelStateText::Text(Ended(0xC0000005u, false)));
    EXPECT_EQ(L"exit code 3", PanelStateText::Text(Ended(3, true)));
    EXPECT_EQ(L"exit code 2147483651", PanelStateText::Text(Ended(0x80000003u, true)));
    EXPECT_EQ(L"crashed 0xC0000005", PanelStateText::Text(Ended(0xC0000005u, true)));
    EXPECT_EQ(L"crashed 0xC000013A", PanelStateText::Text(Ended(0xC000013Au, true)));
    Facts failed;
    failed.failedToStart = true;
    EXPECT_EQ(L"failed to start", PanelStateText::Text(failed));

    EXPECT_EQ(Icon::Stopped, PanelStateText::IconFor(Ended(0, true)));
    EXPECT_EQ(Icon::Stopped, PanelStateText::IconFor(Ended(7, false)));
    EXPECT_EQ(Icon::Failed, PanelStateText::IconFor(Ended(3, true)));
    EXPECT_EQ(Icon::Failed, PanelStateText::IconFor(Ended(0xC0000005u, true)));
    EXPECT_EQ(Icon::Failed, PanelStateText::IconFor(failed));
}

TEST(PanelStateText, CrashesAreTheSystemsErrorStatuses) {
    EXPECT_TRUE(PanelStateText::IsCrash(0xC0000005u));
    EXPECT_TRUE(PanelStateText::IsCrash(0xFFFFFFFFu));
    EXPECT_FALSE(PanelStateText::IsCrash(0x80000003u));
    EXPECT_FALSE(PanelStateText::IsCrash(0x40000000u));
    EXPECT_FALSE(PanelStateText::IsCrash(3));
}

// The restart policy's wait counts down in whole seconds rounded up, and shows the icon of the
// run it follows; stopping and waiting say so.
TEST(PanelStateText, WaitsAndStopsSaySo) {
    Facts facts;
    facts.state = kRunning;
    facts.endedByItself = true;
    facts.exitCode = 3;
    facts.restartInMs = 4000;
    EXPECT_EQ(L"restarting in 4 s", PanelStateText::Text(facts));
    facts.restartInMs = 3001;
    EXPECT_EQ(L"restarting in 4 s", PanelStateText::Text(facts));
    facts.restartInMs = 1;
    EXPECT_EQ(L"restarting in 1 s", PanelStateText::Text(facts));
    EXPECT_EQ(Icon::Failed, PanelStateText::IconFor(facts));
    facts.exitCode = 0;  // the policy "always" after a clean end
    EXPECT_EQ(Icon::Stopped, PanelStateText::IconFor(facts));

    Facts stopping;
    stopping.state = kStopping;
    stopping.runMs = 5000;
    EXPECT_EQ(L"stopping", PanelStateText::Text(stopping));
    EXPECT_EQ(Icon::Stopping, PanelStateText::IconFor(stopping));
    Facts waiting;
    waiting.state = kWaiting;
    waiting.endedByItself = true;
    waiting.exitCode = 3;
    EXPECT_EQ(L"waiting", PanelStateText::Text(waiting));
    EXPECT_EQ(Icon::Failed, PanelStateText::IconFor(waiting));
    waiting.exitCode = 0;
    EXPECT_EQ(Icon::Stopped, PanelStateText::IconFor(waiting));
}

TEST(PanelStateText, ElapsedIsHoursMinutesSeconds) {
    EXPECT_EQ(L"0:00:59", PanelStateText::Elapsed(59999));
    EXPECT_EQ(L"0:01:00", PanelStateText::Elapsed(60000));
    EXPECT_EQ(L"1:00:00", PanelStateText::Elapsed(3600000));
    EXPECT_EQ(L"100:00:01", PanelStateText::Elapsed(360001000ull));
}

}  // namespace
