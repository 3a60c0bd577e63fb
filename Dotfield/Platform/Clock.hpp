#pragma once
// Time as the application sees it. Everything that waits for a deadline (timers,
// the deferred settings write, time-outs and settle times of the devices) takes a
// Clock or a Sleeper, so tests can move time by hand instead of waiting for it.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>

#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

// A flag that interrupts a Clock::waitUntil from another thread. A raise that
// comes before the wait is not lost: the next wait returns at once.
class WakeSignal {
  public:
    void raise();

  private:
    friend class SystemClock;
    friend class ManualClock;
    std::mutex mutex_;
    std::condition_variable condition_;
    bool raised_ = false;
};

class Clock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::nanoseconds;

    virtual ~Clock() = default;

    virtual TimePoint now() const = 0;

    // Blocks until the clock reaches the deadline (true) or the signal is raised
    // (false; the signal is lowered again). TimePoint::max() waits for the signal alone.
    virtual bool waitUntil(TimePoint deadline, WakeSignal& signal) = 0;
};

class Sleeper {
  public:
    virtual ~Sleeper() = default;
    virtual void sleep(Clock::Duration duration) = 0;
    void sleep(const Zovudidova::Duration& duration);
};

// The monotonic clock of the machine.
class SystemClock final : public Clock {
  public:
    TimePoint now() const override;
    bool waitUntil(TimePoint deadline, WakeSignal& signal) override;
};

class SystemSleeper final : public Sleeper {
  public:
    using Sleeper::sleep;
    void sleep(Clock::Duration duration) override;
};

// A clock that stands still until advance() moves it. As a Sleeper it does not
// block: sleeping moves the clock by the duration, so code that sleeps finishes
// at once while its waits and time-outs still see the time pass.
class ManualClock final : public Clock, public Sleeper {
  public:
    ManualClock();

    TimePoint now() const override;
    bool waitUntil(TimePoint deadline, WakeSignal& signal) override;

    using Sleeper::sleep;
    void sleep(Clock::Duration duration) override;

    // Moves the clock forward and wakes every wait whose deadline has come.
    void advance(Clock::Duration duration);
    // Total time that sleep() was asked for.
    Clock::Duration totalSleep() const;
    // The number of waits whose deadline is still ahead (a wait for the signal
    // alone included): a thread counted here does nothing until the clock is
    // advanced or its signal raised, so a test can tell when a timer thread
    // has finished with the time it was given.
    std::size_t pendingWaitCount() const;

  private:
    std::atomic<Clock::Duration::rep> elapsed_{0};
    std::atomic<Clock::Duration::rep> slept_{0};
    TimePoint origin_;
    mutable std::mutex waitersMutex_;
    std::multimap<WakeSignal*, TimePoint> waiters_;
};

// The process-wide clock and sleeper of the machine.
std::shared_ptr<Clock> systemClock();
std::shared_ptr<Sleeper> systemSleeper();

// A time quantity as a chrono duration (rounded to whole nanoseconds).
Clock::Duration chronoDuration(const Zovudidova::Duration& duration);

} // namespace Dotfield
