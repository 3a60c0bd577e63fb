#include "VeltranePatterns/Source/Items/Arc.hpp"

#include <cmath>

namespace VeltranePatterns {

using Zovudidova::Angle;
using Zovudidova::AngleUnit;

Coordinate pointOnCircle(const Coordinate& center, double radius, const Angle& angle) {
    return {center.x + radius * Zovudidova::cos(angle), center.y + radius * Zovudidova::sin(angle), center.z};
}

double angularSpan(const Angle& startAngle, const Angle& endAngle) {
    return std::fabs((endAngle - startAngle).value(AngleUnit::radians));
}

Arc::Arc(const Coordinate& centerPoint, const Angle& startAngle, const Angle& endAngle, double radius,
         RotationalDirection direction, std::optional<double> velocity, std::optional<double> acceleration,
         bool surfaceSensing)
    : centerPoint_(centerPoint), startAngle_(startAngle), endAngle_(endAngle), radius_(radius),
      direction_(direction), velocity_(velocity), acceleration_(acceleration),
      surfaceSensing_(surfaceSensing) {}

Coordinate Arc::startingCoordinate() const {
    return pointOnCircle(centerPoint_, radius_, startAngle_);
}

std::optional<Coordinate> Arc::endingCoordinate() const {
    return pointOnCircle(centerPoint_, radius_, endAngle_);
}

double Arc::itemLengthForFeatureWidth(double, double) const {
    return radius_ * angularSpan(startAngle_, endAngle_);
}

Limits Arc::limits() const {
    const Coordinate& c = centerPoint_;
    return {c.x - radius_, c.x + radius_, c.y - radius_, c.y + radius_, c.z, c.z};
}

PatternItemPtr Arc::reversed() const {
    return std::make_shared<const Arc>(centerPoint_, endAngle_, startAngle_, radius_, opposite(direction_),
                                       velocity_, acceleration_, surfaceSensing_);
}

PatternItemPtr Arc::scaledBy(double factor) const {
    return std::make_shared<const Arc>(centerPoint_ * factor, startAngle_, endAngle_, radius_ * factor,
                                       direction_, velocity_, acceleration_, surfaceSensing_);
}

} // namespace VeltranePatterns
