#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace Dotfield {
namespace {

using namespace std::chrono_literals;

TEST(ManualClockTest, SleepingMovesTheClockWithoutBlocking) {
    ManualClock clock;
    const auto start = clock.now();
    clock.sleep(Zovudidova::seconds(5.0));
    clock.sleep(500ms);
    EXPECT_EQ(clock.now() - start, 5500ms);
    EXPECT_EQ(clock.totalSleep(), 5500ms);
}

TEST(ManualClockTest, AWaitEndsWhenTheClockReachesItsDeadline) {
    ManualClock clock;
    WakeSignal signal;
    std::atomic<bool> reached{false};
    std::atomic<bool> done{false};
    std::thread waiter([&] {
        reached = clock.waitUntil(clock.now() + 100ms, signal);
        done = true;
    });
    // Once the waiter sleeps on the clock, 60 ms of the 100 do not end its wait.
    ASSERT_TRUE(Dotfield::Testing::eventually([&] { return clock.pendingWaitCount() == 1; }));
    clock.advance(60ms);
    ASSERT_TRUE(Dotfield::Testing::eventually([&] { return clock.pendingWaitCount() == 1; }));
    EXPECT_FALSE(done);
    while (!done) {
        clock.advance(40ms);
        std::this_thread::yield();
    }
    waiter.join();
    EXPECT_TRUE(reached);
}

TEST(ManualClockTest, ARaisedSignalEndsTheWaitEvenWhenRaisedBeforehand) {
    ManualClock clock;
    WakeSignal signal;
    signal.raise();
    EXPECT_FALSE(clock.waitUntil(Clock::TimePoint::max(), signal));
    std::thread raiser([&] { signal.raise(); });
    EXPECT_FALSE(clock.waitUntil(Clock::TimePoint::max(), signal));
    raiser.join();
}

TEST(SystemClockTest, WaitsTheRealTime) {
    SystemClock clock;
    WakeSignal signal;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(clock.waitUntil(clock.now() + 20ms, signal));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);
}

TEST(ChronoDurationTest, ConvertsTimeQuantities) {
    EXPECT_EQ(chronoDuration(Zovudidova::milliseconds(100.0)), 100ms);
    EXPECT_EQ(chronoDuration(Zovudidova::seconds(-1.0)), Clock::Duration::zero());
    EXPECT_EQ(chronoDuration(Zovudidova::hours(1e12)), Clock::Duration::max());
}

} // namespace
} // namespace Dotfield
