#pragma once
// How the print travels to an item's start: over the travel height (the
// current height plus the pattern pickup distance), unless the pattern is
// continuous and the robot already stands there in X and Y. In the main item
// loop a long travel is made at the manual positioning speeds.

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class Robot;

// Within this (µm, in X and in Y) a continuous pattern makes no travel.
inline constexpr double continuousTravelTolerance = 1.0;
// A travel longer than this (µm) is made at the manual positioning speeds.
inline constexpr double longTravelDistance = 1000.0;

// Throws the move's errors.
void travelToItem(Robot& robot, const VeltranePatterns::Coordinate& target, bool continuous,
                  bool manualSpeedsForLongTravel);

} // namespace Dotfield
