#pragma once

#include <vector>

#include "VeltranePatterns/Source/Items/Polygon.hpp"

namespace VeltranePatterns {

// The inward spiral that covers a polygon: rings a ring spacing of
// featureWidth * 0.5 / scaleFactor apart, starting at the polygon's second
// point. Empty for fewer than 3 points, for a ring spacing that is zero,
// negative or not finite, for coordinates that are not finite, and for a path
// that would need more than maximumToolPathPoints points or
// maximumPolygonPasses passes.
std::vector<Coordinate> calculatePolygonDrawingCoordinates(const Polygon& polygon, double featureWidth,
                                                           double scaleFactor);

} // namespace VeltranePatterns
