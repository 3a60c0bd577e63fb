#pragma once
// The one motion of a solution well that sprays: go to a well, spray the
// dispenser out for the time to empty of the solution in it, and optionally go
// back to where the robot stood.
//
// Threads: the caller's (the robot's queue); the spray runs on the
// electronics' queue while the caller waits.

#include <functional>

#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

class Electronics;
class Robot;

// Sprays for the duration and returns when the spray is over. Throws.
using WellSpray = std::function<void(const Zovudidova::Duration&)>;

// The electronics' timed spray, run on their queue while the caller waits.
WellSpray sprayingWith(Electronics& electronics);

// A time that is negative or not a number counts as none.
Zovudidova::Duration nonNegativeDuration(const Zovudidova::Duration& duration);

// Remembers the robot's position, travels at the travel height to the deck
// position of `target` and sprays for the time to empty of `sprayed`; then,
// when asked, travels back. A target without a position throws
// SolutionWellError before anything moves; a move's error passes unchanged; a
// CommunicationsError of the spray becomes the RoboticsError it stands for
// (notConnected with all motors, or corruptedCommunications) and the robot
// stays; any other spraying error passes unchanged.
void sprayAtWell(const SolutionWell& sprayed, const SolutionWell& target, bool returnToStartingPoint,
                 Robot& robot, const WellSpray& spray, const VeltranePatterns::Coordinate& a1WellPosition,
                 double travelHeight);

} // namespace Dotfield
