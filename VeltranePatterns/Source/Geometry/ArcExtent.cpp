#include "VeltranePatterns/Source/Geometry/ArcExtent.hpp"

#include <algorithm>
#include <cmath>

namespace VeltranePatterns {

namespace {
constexpr double pi = 3.141592653589793;
constexpr double twoPi = 6.283185307179586;
} // namespace

Limits arcLimits(const Coordinate& center, double radius, double startRadians, double sweepRadians) {
    if (radius < 0.0) {
        radius = -radius;
        startRadians += pi;
    }
    // At most one whole turn.
    sweepRadians = sweepRadians >= 0.0 ? std::min(sweepRadians, twoPi) : 0.0;
    const double halfPi = pi / 2.0;
    double start = std::fmod(startRadians, twoPi);
    if (start < 0.0) {
        start += twoPi;
    }
    const double end = start + sweepRadians;
    Limits box{center.x + radius * std::cos(start), 0.0, center.y + radius * std::sin(start), 0.0, center.z,
               center.z};
    box.maxX = box.minX;
    box.maxY = box.minY;
    const auto include = [&box](double x, double y) {
        box.minX = std::min(box.minX, x);
        box.maxX = std::max(box.maxX, x);
        box.minY = std::min(box.minY, y);
        box.maxY = std::max(box.maxY, y);
    };
    include(center.x + radius * std::cos(end), center.y + radius * std::sin(end));
    if (!std::isfinite(start) || !std::isfinite(end)) {
        return box;
    }
    // The axis points passed on the way, exactly: right, top, left, bottom.
    for (auto quarter = static_cast<long>(std::ceil(start / halfPi)); quarter * halfPi <= end; ++quarter) {
        switch (quarter % 4) {
        case 0: include(center.x + radius, center.y); break;
        case 1: include(center.x, center.y + radius); break;
        case 2: include(center.x - radius, center.y); break;
        default: include(center.x, center.y - radius); break;
        }
    }
    return box;
}

} // namespace VeltranePatterns
