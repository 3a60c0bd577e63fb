#include "simulators/instrument/World/WorldClock.hpp"

#include <cmath>

namespace Simulators {

std::chrono::nanoseconds SteppedWorldClock::now() const {
    return std::chrono::nanoseconds(elapsed_.load());
}

void SteppedWorldClock::advance(std::chrono::nanoseconds step) {
    if (step.count() > 0) {
        elapsed_.fetch_add(step.count());
    }
}

std::chrono::nanoseconds SteppedWorldClock::realTimeUntil(std::chrono::nanoseconds due) {
    auto elapsed = elapsed_.load();
    while (elapsed < due.count() && !elapsed_.compare_exchange_weak(elapsed, due.count())) {
    }
    return std::chrono::nanoseconds(0);
}

RealTimeWorldClock::RealTimeWorldClock(double rate)
    : rate_(std::isfinite(rate) && rate > 0.0 ? rate : 1.0) {}

std::chrono::nanoseconds RealTimeWorldClock::now() const {
    const auto real = std::chrono::steady_clock::now() - origin_;
    return std::chrono::nanoseconds(
        static_cast<std::chrono::nanoseconds::rep>(static_cast<double>(real.count()) * rate_));
}

} // namespace Simulators

namespace Simulators {

std::chrono::nanoseconds RealTimeWorldClock::realTimeUntil(std::chrono::nanoseconds due) {
    const auto ahead = due - now();
    if (ahead.count() <= 0) {
        return std::chrono::nanoseconds(0);
    }
    return std::chrono::nanoseconds(static_cast<std::chrono::nanoseconds::rep>(
        std::ceil(static_cast<double>(ahead.count()) / rate_)));
}

} // namespace Simulators
