#pragma once

#include <span>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace VeltranePatterns {

// The 3-D length from the start to the first path point and then from point to
// point; 0 for an empty path.
double toolPathLength(const Coordinate& start, std::span<const Coordinate> path);

} // namespace VeltranePatterns
