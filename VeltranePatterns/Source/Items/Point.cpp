#include "VeltranePatterns/Source/Items/Point.hpp"

namespace VeltranePatterns {

Point::Point(const Coordinate& location, const Zovudidova::Duration& duration, bool surfaceSensing)
    : location_(location), duration_(duration), surfaceSensing_(surfaceSensing) {}

double Point::itemLengthForFeatureWidth(double featureWidth, double) const {
    return featureWidth;
}

Limits Point::limits() const {
    return {location_.x, location_.x, location_.y, location_.y, location_.z, location_.z};
}

PatternItemPtr Point::reversed() const {
    return std::make_shared<const Point>(*this);
}

PatternItemPtr Point::scaledBy(double factor) const {
    return std::make_shared<const Point>(location_ * factor, duration_, surfaceSensing_);
}

} // namespace VeltranePatterns
