#include "Dotfield/Platform/RepeatingTimer.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {
namespace {

using namespace std::chrono_literals;

// Waits (in real time, bounded) until the condition holds.
bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(100us);
    }
    return true;
}

// Lets the timer thread settle into its wait, then checks nothing more ran.
void settle() {
    std::this_thread::sleep_for(20ms);
}

class RepeatingTimerTest : public ::testing::Test {
  protected:
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::atomic<int> ticks{0};

    std::unique_ptr<RepeatingTimer> makeTimer() {
        auto timer = std::make_unique<RepeatingTimer>(clock);
        timer->schedule(100ms, 5ms);
        timer->setEventHandler([this] { ++ticks; });
        return timer;
    }
};

TEST_F(RepeatingTimerTest, TicksAtOnceAndThenEveryIntervalOnceResumed) {
    auto timer = makeTimer();
    settle();
    EXPECT_EQ(ticks, 0) << "a new timer is suspended";
    timer->resume();
    ASSERT_TRUE(eventually([&] { return ticks == 1; }));
    clock->advance(99ms);
    settle();
    EXPECT_EQ(ticks, 1);
    clock->advance(1ms);
    ASSERT_TRUE(eventually([&] { return ticks == 2; }));
    // Missed intervals are coalesced into one tick.
    clock->advance(350ms);
    ASSERT_TRUE(eventually([&] { return ticks == 3; }));
    settle();
    EXPECT_EQ(ticks, 3);
}

TEST_F(RepeatingTimerTest, SuspensionsAreBalancedByResumes) {
    auto timer = makeTimer();
    timer->resume();
    ASSERT_TRUE(eventually([&] { return ticks == 1; }));
    timer->suspend();
    timer->suspend();
    timer->resume();
    clock->advance(300ms);
    settle();
    EXPECT_EQ(ticks, 1) << "still suspended once";
    EXPECT_TRUE(timer->isSuspended());
    timer->resume();
    ASSERT_TRUE(eventually([&] { return ticks == 2; }));
    // One resume too many is ignored: one suspend still stops the timer.
    timer->resume();
    timer->suspend();
    clock->advance(300ms);
    settle();
    EXPECT_EQ(ticks, 2);
}

TEST_F(RepeatingTimerTest, MayBeDestroyedSuspendedOrRunning) {
    auto suspended = makeTimer();
    suspended->suspend();
    suspended.reset();

    auto running = makeTimer();
    running->resume();
    ASSERT_TRUE(eventually([&] { return ticks == 1; }));
    running.reset();
    clock->advance(1s);
    settle();
    EXPECT_EQ(ticks, 1);
}

TEST(RepeatingTimerRealClockTest, TicksWithTheSystemClock) {
    RepeatingTimer timer;
    std::atomic<int> ticks{0};
    timer.schedule(5ms, 1ms);
    timer.setEventHandler([&] { ++ticks; });
    timer.resume();
    EXPECT_TRUE(eventually([&] { return ticks >= 3; }));
}

} // namespace
} // namespace Dotfield
