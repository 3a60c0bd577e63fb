#include "VeltranePatterns/Source/Items/Polygon.hpp"

#include "VeltranePatterns/Source/ToolPaths/PolygonToolPath.hpp"
#include "VeltranePatterns/Source/ToolPaths/ToolPathLength.hpp"

namespace VeltranePatterns {

Polygon::Polygon(std::vector<Coordinate> points, std::optional<double> velocity,
                 std::optional<double> acceleration, bool surfaceSensing)
    : points_(std::move(points)), velocity_(velocity), acceleration_(acceleration),
      surfaceSensing_(surfaceSensing) {}

Coordinate Polygon::startingCoordinate() const {
    return points_.empty() ? Coordinate::zero : points_.front();
}

double Polygon::itemLengthForFeatureWidth(double featureWidth, double scaleFactor) const {
    return toolPathLength(startingCoordinate(),
                          calculatePolygonDrawingCoordinates(*this, featureWidth, scaleFactor));
}

Limits Polygon::limits() const {
    return VeltranePatterns::limits(points_);
}

PatternItemPtr Polygon::reversed() const {
    if (PatternItemPtr self = sharedSelf()) {
        return self;
    }
    return std::make_shared<const Polygon>(*this);
}

PatternItemPtr Polygon::scaledBy(double factor) const {
    std::vector<Coordinate> scaled;
    scaled.reserve(points_.size());
    for (const Coordinate& p : points_) {
        scaled.push_back(p * factor);
    }
    return std::make_shared<const Polygon>(std::move(scaled), velocity_, acceleration_, surfaceSensing_);
}

} // namespace VeltranePatterns
