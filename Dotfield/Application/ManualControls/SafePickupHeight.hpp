#pragma once
// Where the safe-height action of the manual controls sends the dispenser.

#include <optional>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class Robot;

// The ceiling is the lower of the top of the Z travel less 1000 µm and the
// safe pickup height. The target keeps x and y and lifts z to the ceiling
// when it is at or below it; above it, z stays: the dispenser is never
// lowered. Nothing without a safe pickup height.
std::optional<VeltranePatterns::Coordinate> safePickupHeightTarget(const VeltranePatterns::Coordinate& current,
                                                                   double maximumZ,
                                                                   std::optional<double> safePickupHeight);
std::optional<VeltranePatterns::Coordinate> safePickupHeightTarget(const Robot& robot);

} // namespace Dotfield
