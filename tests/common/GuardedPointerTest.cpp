#include "common/GuardedPointer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

struct Target {
    std::atomic<int> calls{0};
};

void Count(Target& target) {
    ++target.calls;
}

}  // namespace

// The owner replaces the pointer and frees the old target at once: Set must not return while a
// call to the old one is still going on, and no call may reach it afterwards. Calls made while
// Set waits go to the new target without waiting.
TEST(GuardedPointer, SetWaitsForTheCallToThePreviousTargetAndLaterCallsGoToTheNewOne) {
    GuardedPointer<Target> pointer;
    Target first, second;
    pointer.Set(&first);
    std::promise<void> entered, release;
    std::shared_future<void> released = release.get_future().share();
    std::thread caller([&] {
        pointer.With([&](Target& target) {
            Count(target);
            entered.set_value();
            released.wait();
        });
    });
    entered.get_future().wait();
    std::future<void> replaced = std::async(std::launch::async, [&] { pointer.Set(&second); });
    EXPECT_EQ(std::future_status::timeout, replaced.wait_for(300ms));
    EXPECT_TRUE(pointer.With(Count));
    EXPECT_EQ(1, second.calls.load());
    release.set_value();
    EXPECT_EQ(std::future_status::ready, replaced.wait_for(10s));
    caller.join();
    pointer.With(Count);
    EXPECT_EQ(1, first.calls.load());
    EXPECT_EQ(2, second.calls.load());
    pointer.Set(nullptr);
    EXPECT_FALSE(pointer.IsSet());
    EXPECT_FALSE(pointer.With(Count));
}

// Two threads whose calls always overlap (each call ends only once another has begun) never leave
// a moment without a call in progress; Set still returns, since it waits only for the calls
// begun before it.
TEST(GuardedPointer, OverlappingCallsDoNotHoldSetUp) {
    GuardedPointer<Target> pointer;
    Target targets[2];
    pointer.Set(&targets[0]);
    std::atomic<bool> done{false};
    std::atomic<int> begun{0};
    auto call = [&] {
        while (!done) {
            pointer.With([&](Target& target) {
                Count(target);
                int mine = ++begun;
                while (begun.load() == mine && !done) {
                    std::this_thread::yield();
                }
            });
        }
    };
    std::thread a(call), b(call);
    std::future<void> replaced = std::async(std::launch::async, [&] {
        for (int i = 1; i <= 20; ++i) {
            pointer.Set(&targets[i % 2]);
        }
    });
    EXPECT_EQ(std::future_status::ready, replaced.wait_for(10s));
    done = true;
    a.join();
    b.join();
    replaced.wait();
}
