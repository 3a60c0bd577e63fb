#pragma once
// Breaks a pattern arc into short straight segments for the robots that draw
// arcs as chains of lines, answering the corrected robot positions of the
// segments' end points.

#include <cstddef>
#include <vector>

#include "Dotfield/Robotics/CorrectedPoint.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Items/RotationalDirection.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

// The most points one arc is broken into.
inline constexpr std::size_t maximumArcDrawingPoints = 1'000'000;

// The points along the arc from the start angle to the end angle around the
// centre (pattern units), in the arc's direction, without the starting point:
// n = floor(|sweep| × radius × scale factor / segment length) of them, on equal
// angle steps, the last one at the end angle itself. Equal angles make a full
// circle. Clockwise sweeps towards larger angles, counter-clockwise towards
// smaller ones. An arc shorter than one segment, a segment length that is not
// positive or any input that is not a finite number gives no points; n is
// capped at maximumArcDrawingPoints.
std::vector<VeltranePatterns::Coordinate> calculateArcDrawingCoordinates(
    double segmentLength, const Zovudidova::Angle& startAngle, const Zovudidova::Angle& endAngle,
    VeltranePatterns::RotationalDirection direction, const VeltranePatterns::Coordinate& centerPoint,
    double radius, const PatternCorrections& corrections);

} // namespace Dotfield
