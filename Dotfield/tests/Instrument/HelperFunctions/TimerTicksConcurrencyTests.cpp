#include "Dotfield/Instrument/HelperFunctions/TimerTicks.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield {
namespace {

using namespace std::chrono_literals;

using Dotfield::Testing::eventually;

// A device object with a status timer, as the electronics have one.
class PolledDevice final : public DispatchTimer {
  public:
    explicit PolledDevice(std::shared_ptr<Clock> clock) : timer_(std::move(clock)) {}
    SerialQueue& serialDispatchQueue() override { return queue_; }
    Semaphore& timerSemaphore() override { return semaphore_; }
    RepeatingTimer& dispatchTimer() override { return timer_; }

  private:
    // Destroyed in reverse order: the timer first, then the queue (which runs
    // its last handler, and that signals the semaphore), then the semaphore.
    Semaphore semaphore_{1};
    SerialQueue queue_{"com.veltrane.Dotfield.testPollQueue"};
    RepeatingTimer timer_;
};

// A handler that blocks until released, so a test can hold a poll "running".
class Gate {
  public:
    void waitOpen() {
        std::unique_lock lock(mutex_);
        ++arrived_;
        arrivedCondition_.notify_all();
        openCondition_.wait(lock, [&] { return open_; });
        open_ = false;
    }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        openCondition_.notify_all();
    }
    int arrived() {
        std::lock_guard lock(mutex_);
        return arrived_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable openCondition_;
    std::condition_variable arrivedCondition_;
    bool open_ = false;
    int arrived_ = 0;
};

TEST(TimerTicksTest, ATickWhileTheHandlerRunsIsDroppedAndTheNextOneRuns) {
    auto clock = std::make_shared<ManualClock>();
    PolledDevice device(clock);
    Gate gate;
    std::atomic<bool> onDeviceQueue{true};
    std::atomic<int> finished{0};
    startRepeatingTimer(device, 100ms, 5ms, [&] {
        onDeviceQueue = onDeviceQueue && device.serialDispatchQueue().isCurrent();
        gate.waitOpen();
        ++finished;
    });
    ASSERT_TRUE(eventually([&] { return gate.arrived() == 1; })) << "first tick is due at once";

    // Ticks while the first poll still runs: all dropped. Once the timer waits
    // for a deadline beyond the new time, every tick due by now has come.
    for (int i = 0; i < 3; ++i) {
        clock->advance(100ms);
    }
    ASSERT_TRUE(eventually([&] { return clock->pendingWaitCount() == 1; }));
    gate.open();
    ASSERT_TRUE(eventually([&] { return finished == 1; }));
    EXPECT_EQ(gate.arrived(), 1);
    // The poll gives its semaphore back after the handler returns; once the
    // queue is idle it has, so the next tick cannot find it still taken.
    device.serialDispatchQueue().sync([] {});

    // The next tick after the poll finished runs the handler again.
    clock->advance(100ms);
    ASSERT_TRUE(eventually([&] { return gate.arrived() == 2; }));
    gate.open();
    ASSERT_TRUE(eventually([&] { return finished == 2; }));
    EXPECT_TRUE(onDeviceQueue);
    device.dispatchTimer().suspend();
}

TEST(PerformOnQueueSyncTest, RunsOnTheObjectsQueueAndCarriesResultsAndErrors) {
    PolledDevice device(std::make_shared<ManualClock>());
    EXPECT_EQ(performOnQueueSync([&] { return device.serialDispatchQueue().isCurrent() ? 1 : 0; }, device),
              1);
    EXPECT_THROW(performOnQueueSyncReturning([]() -> int { throw std::runtime_error("relay"); }, device),
                 std::runtime_error);
    // From the object's own queue it runs directly instead of waiting for itself.
    std::atomic<int> nested{0};
    device.serialDispatchQueue().async(
        [&] { nested = performOnQueueSyncThrowing([] { return 7; }, device); });
    device.serialDispatchQueue().sync([] {});
    EXPECT_EQ(nested, 7);
}

} // namespace
} // namespace Dotfield
