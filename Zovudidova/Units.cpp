#include <chrono>
#include <cmath>
#include <thread>

#include "Zovudidova/Quantity.hpp"
#include "Zovudidova/Units.hpp"

namespace Zovudidova {

std::string velocityUnitDescription(VelocityUnit u) {
    std::string text(unitDescription(u.numerator));
    text += " / ";
    text += singularName(u.denominator);
    return text;
}

std::chrono::nanoseconds sleepInterval(const Duration& interval) {
    const double secondsToSleep = interval.value(TimeUnit::seconds);
    if (!(secondsToSleep > 0.0)) {
        return std::chrono::nanoseconds::zero();
    }
    // Converted by hand: a time beyond the clock's range (or infinite) would
    // make the conversion to whole ticks undefined.
    const double nanoseconds = secondsToSleep * 1e9;
    constexpr auto longest = static_cast<double>(std::chrono::nanoseconds::max().count());
    if (nanoseconds >= longest) {
        return std::chrono::nanoseconds::max();
    }
    return std::chrono::nanoseconds(std::llround(nanoseconds));
}

void sleep(const Duration& interval) {
    const std::chrono::nanoseconds time = sleepInterval(interval);
    if (time > std::chrono::nanoseconds::zero()) {
        std::this_thread::sleep_for(time);
    }
}

} // namespace Zovudidova
