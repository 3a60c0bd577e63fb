#pragma once
// Turns a straight segment or a circular arc into the timed points of a
// SmartMotor contour. The path is travelled under a trapezoidal speed profile
// (accelerate at a, cruise at v, decelerate at a), or a triangular one when
// it is too short to reach v, and sampled every s motor sample periods. s is
// the power of two that keeps the number of points near the target N, at
// least 64 on the older motors (1 on the newer ones) and at most 256. The end
// point is appended when the last sample lies more than 0.5 µm from it.
//
// A zero length or radius plans the start alone (a contour of one point moves
// nothing). A velocity, acceleration or sample period that is not a positive
// finite number, a target N below 1, a point that is not finite, or a plan of
// more than maximumContourPoints points is refused with
// RoboticsError.abortedDuringMove.

#include <cstddef>
#include <vector>

#include "Dotfield/Robotics/SmartMotor/ContouringCoordinate.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Items/RotationalDirection.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

inline constexpr std::size_t maximumContourPoints = 1'000'000;

// Each point is start + round(((end − start) / d) × p(t)) per axis (only the
// offset is rounded); timestamps i·s, or s on the newer motors.
std::vector<ContouringCoordinate> planLinearMove(int targetSamples, bool usesNewAnimaticsMotors,
                                                 const VeltranePatterns::Coordinate& start,
                                                 const VeltranePatterns::Coordinate& end, double velocity,
                                                 double acceleration, double samplePeriod);

// Points at centre + round(r·cos θ), round(r·sin θ), the centre's z; θ runs
// from the start angle towards the end angle, growing when clockwise and
// falling when counter-clockwise. Equal angles make a full circle. v and a
// are speeds along the circle.
std::vector<ContouringCoordinate> planArcMove(const Zovudidova::Angle& startAngle, const Zovudidova::Angle& endAngle,
                                              const VeltranePatterns::Coordinate& center, double radius,
                                              double velocity, double acceleration, int targetSamples,
                                              bool usesNewAnimaticsMotors,
                                              VeltranePatterns::RotationalDirection direction, double samplePeriod);

} // namespace Dotfield
