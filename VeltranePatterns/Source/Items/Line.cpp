#include "VeltranePatterns/Source/Items/Line.hpp"

namespace VeltranePatterns {

Line::Line(const Coordinate& startingPoint, const Coordinate& endingPoint, std::optional<double> velocity,
           std::optional<double> acceleration, bool surfaceSensing)
    : startingPoint_(startingPoint), endingPoint_(endingPoint), velocity_(velocity),
      acceleration_(acceleration), surfaceSensing_(surfaceSensing) {}

double Line::itemLengthForFeatureWidth(double, double) const {
    return distanceXY(startingPoint_, endingPoint_);
}

Limits Line::limits() const {
    const Coordinate& a = startingPoint_;
    const Coordinate& b = endingPoint_;
    return {a.x < b.x ? a.x : b.x, a.x < b.x ? b.x : a.x, a.y < b.y ? a.y : b.y,
            a.y < b.y ? b.y : a.y, a.z < b.z ? a.z : b.z, a.z < b.z ? b.z : a.z};
}

PatternItemPtr Line::reversed() const {
    return std::make_shared<const Line>(endingPoint_, startingPoint_, velocity_, acceleration_,
                                        surfaceSensing_);
}

PatternItemPtr Line::scaledBy(double factor) const {
    return std::make_shared<const Line>(startingPoint_ * factor, endingPoint_ * factor, velocity_,
                                        acceleration_, surfaceSensing_);
}

} // namespace VeltranePatterns
