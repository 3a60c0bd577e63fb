#include "Dotfield/Platform/Clock.hpp"

#include <cmath>
#include <limits>
#include <thread>

namespace Dotfield {

void WakeSignal::raise() {
    std::lock_guard lock(mutex_);
    raised_ = true;
    condition_.notify_all();
}

void Sleeper::sleep(const Zovudidova::Duration& duration) {
    sleep(chronoDuration(duration));
}

Clock::TimePoint SystemClock::now() const {
    return std::chrono::steady_clock::now();
}

bool SystemClock::waitUntil(TimePoint deadline, WakeSignal& signal) {
    std::unique_lock lock(signal.mutex_);
    if (deadline == TimePoint::max()) {
        signal.condition_.wait(lock, [&] { return signal.raised_; });
    } else {
        signal.condition_.wait_until(lock, deadline, [&] { return signal.raised_; });
    }
    if (signal.raised_) {
        signal.raised_ = false;
        return false;
    }
    return true;
}

void SystemSleeper::sleep(Clock::Duration duration) {
    if (duration > Clock::Duration::zero()) {
        std::this_thread::sleep_for(duration);
    }
}

ManualClock::ManualClock() : origin_(std::chrono::steady_clock::now()) {}

Clock::TimePoint ManualClock::now() const {
    return origin_ + Clock::Duration(elapsed_.load());
}

bool ManualClock::waitUntil(TimePoint deadline, WakeSignal& signal) {
    std::multimap<WakeSignal*, TimePoint>::iterator registration;
    {
        std::lock_guard lock(waitersMutex_);
        registration = waiters_.emplace(&signal, deadline);
    }
    bool reached = false;
    {
        std::unique_lock lock(signal.mutex_);
        for (;;) {
            if (signal.raised_) {
                signal.raised_ = false;
                break;
            }
            if (deadline != TimePoint::max() && now() >= deadline) {
                reached = true;
                break;
            }
            signal.condition_.wait(lock);
        }
    }
    std::lock_guard lock(waitersMutex_);
    waiters_.erase(registration);
    return reached;
}

void ManualClock::sleep(Clock::Duration duration) {
    if (duration > Clock::Duration::zero()) {
        slept_.fetch_add(duration.count());
        advance(duration);
    }
}

void ManualClock::advance(Clock::Duration duration) {
    elapsed_.fetch_add(duration.count());
    // Each waiter re-checks the time under its own mutex, so taking that mutex
    // before notifying means no waiter can miss the new time.
    std::lock_guard lock(waitersMutex_);
    for (const auto& [waiter, deadline] : waiters_) {
        std::lock_guard waiterLock(waiter->mutex_);
        waiter->condition_.notify_all();
    }
}

Clock::Duration ManualClock::totalSleep() const {
    return Clock::Duration(slept_.load());
}

std::size_t ManualClock::pendingWaitCount() const {
    const TimePoint current = now();
    std::lock_guard lock(waitersMutex_);
    std::size_t count = 0;
    for (const auto& [waiter, deadline] : waiters_) {
        if (deadline > current) {
            ++count;
        }
    }
    return count;
}

std::shared_ptr<Clock> systemClock() {
    // Never destroyed: threads may still ask for the time while the process exits.
    static auto* clock = new std::shared_ptr<Clock>(std::make_shared<SystemClock>());
    return *clock;
}

std::shared_ptr<Sleeper> systemSleeper() {
    static auto* sleeper = new std::shared_ptr<Sleeper>(std::make_shared<SystemSleeper>());
    return *sleeper;
}

Clock::Duration chronoDuration(const Zovudidova::Duration& duration) {
    const double nanoseconds = duration.value(Zovudidova::TimeUnit::nanoseconds);
    if (!(nanoseconds > 0.0)) {
        return Clock::Duration::zero();
    }
    constexpr double limit = static_cast<double>(std::numeric_limits<Clock::Duration::rep>::max());
    if (nanoseconds >= limit) {
        return Clock::Duration::max();
    }
    return Clock::Duration(static_cast<Clock::Duration::rep>(std::llround(nanoseconds)));
}

} // namespace Dotfield
