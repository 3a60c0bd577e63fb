#include "simulators/usb/LineClock.hpp"

#include <algorithm>

namespace Simulators {

std::chrono::nanoseconds MachineLineClock::now() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - origin_);
}

std::chrono::nanoseconds MachineLineClock::realTimeUntil(std::chrono::nanoseconds due) {
    return std::max(due - now(), std::chrono::nanoseconds(0));
}

} // namespace Simulators
