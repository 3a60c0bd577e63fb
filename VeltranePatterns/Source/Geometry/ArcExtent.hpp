#pragma once
// The extent of a circular arc, as pattern limits need it.

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Geometry/Limits.hpp"

namespace VeltranePatterns {

// The box of the arc that runs counter-clockwise from the start angle through
// the sweep (radians, 0 to 2 pi) around the centre: its end points and the
// axis points it passes. A negative radius is the same circle turned half a turn.
Limits arcLimits(const Coordinate& center, double radius, double startRadians, double sweepRadians);

} // namespace VeltranePatterns
