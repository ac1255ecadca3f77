#include "app/OutputQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "support/TarnwickSession.h"

namespace {

// The window's message queue was full when the reader first woke it: the wake-up was lost and the
// window stays idle. The reader, then waiting for room, must wake it again, or both wait for good.
TEST(OutputQueue, AReaderWaitingForRoomWakesTheWindowAgainAfterALostWakeUp) {
    std::atomic<int> tries{0};
    OutputQueue queue(8, [&] { return ++tries > 2; });
    queue.Push(L"lost", nullptr);
    queue.Push(L"full", nullptr);  // tries again, and is lost again
    EXPECT_EQ(2, tries.load());
    std::atomic<bool> pushed{false};
    std::thread reader([&] {
        queue.Push(L"more", nullptr);
        pushed = true;
    });
    std::wstring taken;
    // The window goes to the queue only once woken.
    EXPECT_TRUE(testsupport::WaitUntil([&] { return tries > 2; }, 5000)) << "the waiting reader never woke it";
    queue.TakeAll(taken);
    reader.join();
    EXPECT_EQ(L"lostfull", taken);
    EXPECT_TRUE(pushed);
    // Text dropped (a Clear) after a lost wake-up: the next Push still wakes the window.
    OutputQueue cleared(8, [&] { return ++tries > 4; });
    cleared.Push(L"lost", nullptr);
    cleared.Discard();
    cleared.Push(L"next", nullptr);
    EXPECT_EQ(5, tries.load());
}

}  // namespace
