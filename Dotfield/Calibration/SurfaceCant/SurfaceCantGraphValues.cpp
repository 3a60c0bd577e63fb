#include "Dotfield/Calibration/SurfaceCant/SurfaceCantGraphValues.hpp"

#include <algorithm>
#include <cmath>

namespace Dotfield {

using VeltranePatterns::Coordinate;

std::vector<SurfaceCantGraphPoint> surfaceCantGraphPoints(std::span<const Coordinate> points,
                                                         const Coordinate& reference, SurfaceCantAxis axis) {
    std::vector<SurfaceCantGraphPoint> values;
    values.reserve(points.size());
    for (const Coordinate& point : points) {
        const double distance = axis == SurfaceCantAxis::x ? point.x - reference.x : point.y - reference.y;
        values.push_back({distance, point.z - reference.z});
    }
    return values;
}

namespace {

constexpr int distanceMinorTicks = 2;
constexpr int heightMinorTicks = 5;

SurfaceCantGraphAxis graphAxis(double minimum, double maximum, double roughInterval, int minorTicks) {
    const double span = maximum - minimum;
    const double interval = std::max({std::round(roughInterval), minimumGraphMajorInterval,
                                      span / maximumGraphMajorIntervals});
    return {minimum, maximum, interval, minorTicks};
}

} // namespace

SurfaceCantGraphBounds surfaceCantGraphBounds(double distanceToCalibrate) {
    const bool usable = std::isfinite(distanceToCalibrate) && distanceToCalibrate != 0.0;
    const double length = usable ? distanceToCalibrate : 1.0;
    const double magnitude = std::abs(length);
    const double heightExtent = magnitude / 100.0;
    return {
        graphAxis(std::min(0.0, length), std::max(0.0, length), magnitude / 5.0, distanceMinorTicks),
        graphAxis(-heightExtent, heightExtent, 2.0 * heightExtent / 5.0, heightMinorTicks),
    };
}

} // namespace Dotfield
