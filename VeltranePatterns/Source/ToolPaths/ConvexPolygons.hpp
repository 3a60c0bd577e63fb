#pragma once
// Filled outlines read from drawings and photoplots as printable items.

#include <vector>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Items/PatternItem.hpp"

namespace VeltranePatterns {

// One polygon per part, each without its collinear points.
std::vector<PatternItemPtr> polygonsOfParts(const std::vector<std::vector<Coordinate>>& parts);

// One convex polygon per part of the outline, each without its collinear points.
std::vector<PatternItemPtr> convexPolygonsForOutline(const std::vector<Coordinate>& outline);

} // namespace VeltranePatterns
