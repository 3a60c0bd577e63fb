#include "Dotfield/Camera/Capture/FrameTime.hpp"

#include <cmath>
#include <limits>

namespace Dotfield {

FrameTime FrameTime::withSeconds(double seconds, std::int32_t timescale) {
    const double ticks = std::round(seconds * timescale);
    constexpr double limit = static_cast<double>(std::numeric_limits<std::int64_t>::max());
    if (!std::isfinite(ticks) || std::fabs(ticks) >= limit) {
        return {0, timescale};
    }
    return {static_cast<std::int64_t>(ticks), timescale};
}

double FrameTime::seconds() const {
    return timescale == 0 ? 0.0 : static_cast<double>(value) / timescale;
}

FrameTime operator+(const FrameTime& a, const FrameTime& b) {
    if (a.timescale == b.timescale) {
        return {a.value + b.value, a.timescale};
    }
    return {a.value + FrameTime::withSeconds(b.seconds(), a.timescale).value, a.timescale};
}

} // namespace Dotfield
