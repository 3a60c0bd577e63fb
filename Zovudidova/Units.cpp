#include <chrono>
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

void sleep(const Duration& interval) {
    const double secondsToSleep = interval.value(TimeUnit::seconds);
    if (!(secondsToSleep > 0.0)) {
        return;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(secondsToSleep));
}

} // namespace Zovudidova
