#include "VeltranePatterns/Source/Items/ArcFill.hpp"

#include <cmath>

namespace VeltranePatterns {

using Zovudidova::Angle;

ArcFill::ArcFill(double insideRadius, double outsideRadius, const Coordinate& centerPoint,
                 const Angle& startAngle, const Angle& endAngle, RotationalDirection direction,
                 std::optional<double> velocity, std::optional<double> acceleration, bool surfaceSensing)
    : insideRadius_(insideRadius), outsideRadius_(outsideRadius), centerPoint_(centerPoint),
      startAngle_(startAngle), endAngle_(endAngle), direction_(direction), velocity_(velocity),
      acceleration_(acceleration), surfaceSensing_(surfaceSensing) {}

double ArcFill::scaledInsideRadius(double factor) const {
    return std::round(insideRadius_ * factor);
}

Coordinate ArcFill::startingCoordinate() const {
    return pointOnCircle(centerPoint_, outsideRadius_, startAngle_);
}

std::optional<Coordinate> ArcFill::endingCoordinate() const {
    return pointOnCircle(centerPoint_, insideRadius_, endAngle_);
}

double ArcFill::itemLengthForFeatureWidth(double, double) const {
    return outsideRadius_ * angularSpan(startAngle_, endAngle_);
}

Limits ArcFill::limits() const {
    const Coordinate& c = centerPoint_;
    return {c.x - outsideRadius_, c.x + outsideRadius_, c.y - outsideRadius_, c.y + outsideRadius_, c.z, c.z};
}

PatternItemPtr ArcFill::reversed() const {
    return std::make_shared<const ArcFill>(insideRadius_, outsideRadius_, centerPoint_, endAngle_,
                                           startAngle_, opposite(direction_), velocity_, acceleration_,
                                           surfaceSensing_);
}

PatternItemPtr ArcFill::scaledBy(double factor) const {
    return std::make_shared<const ArcFill>(insideRadius_ * factor, outsideRadius_ * factor,
                                           centerPoint_ * factor, startAngle_, endAngle_, direction_,
                                           velocity_, acceleration_, surfaceSensing_);
}

} // namespace VeltranePatterns
