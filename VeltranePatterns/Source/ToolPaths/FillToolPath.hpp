#pragma once

#include <vector>

#include "VeltranePatterns/Source/Items/Fill.hpp"

namespace VeltranePatterns {

// The points the dispenser visits after the fill's starting corner: passes
// half a feature width (over the scale factor) apart, each contributing the end
// of its sweep and the point after its step, ending at the far corner. Empty
// when the spacing is zero, negative or not finite, when a coordinate or
// dimension is not finite, or when the path would exceed maximumToolPathPoints.
std::vector<Coordinate> calculateFillDrawingCoordinates(const Fill& fill, double featureWidth,
                                                        double scaleFactor);

} // namespace VeltranePatterns
