#include "Dotfield/Platform/RepeatingTimer.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield {
namespace {

using namespace std::chrono_literals;

using Dotfield::Testing::eventually;

// True once the timer thread is back asleep on the clock with a deadline
// still ahead (or none, suspended): it has done all the time it was given
// asks for, so a tick that has not come by now will not come.
bool settled(const ManualClock& clock) {
    return eventually([&] { return clock.pendingWaitCount() == 1; });
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
    ASSERT_TRUE(settled(*clock));
    EXPECT_EQ(ticks, 0) << "a new timer is suspended";
    timer->resume();
    ASSERT_TRUE(eventually([&] { return ticks == 1; }));
    clock->advance(99ms);
    ASSERT_TRUE(settled(*clock));
    EXPECT_EQ(ticks, 1);
    clock->advance(1ms);
    ASSERT_TRUE(eventually([&] { return ticks == 2; }));
    // Missed intervals are coalesced into one tick.
    clock->advance(350ms);
    ASSERT_TRUE(eventually([&] { return ticks == 3; }));
    ASSERT_TRUE(settled(*clock));
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
    ASSERT_TRUE(settled(*clock));
    EXPECT_EQ(ticks, 1) << "still suspended once";
    EXPECT_TRUE(timer->isSuspended());
    timer->resume();
    ASSERT_TRUE(eventually([&] { return ticks == 2; }));
    // One resume too many is ignored: one suspend still stops the timer.
    timer->resume();
    timer->suspend();
    clock->advance(300ms);
    ASSERT_TRUE(settled(*clock));
    EXPECT_EQ(ticks, 2);
}

TEST_F(RepeatingTimerTest, MayBeDestroyedSuspendedOrRunning) {
    auto suspended = makeTimer();
    suspended->suspend();
    suspended.reset();

    auto running = makeTimer();
    running->resume();
    ASSERT_TRUE(eventually([&] { return ticks == 1; }));
    // Destruction ends the timer's thread: no tick can follow.
    running.reset();
    clock->advance(1s);
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
