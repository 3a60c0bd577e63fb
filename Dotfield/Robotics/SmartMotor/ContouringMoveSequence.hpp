#pragma once
// Streams a planned contour into the SmartMotors' contour buffers and plays
// it, for both generation-II positioners. The motors are switched to contour
// mode ("MD"), their buffers pre-filled, started ("G", twice on the newer
// motors), kept fed without overflowing, closed with the last positions again
// and a closing time, and drained; then they go back to position mode ("MP")
// and to the last point, and the robot's position becomes that point.
//
// Only the axes that move (a point more than 0.5 µm from the first on that
// axis) get frames. Every position and time is checked against the motors'
// 32-bit range before anything is sent.
//
// The stream tests the robot's movementAborted before every point and while
// it waits for the motors (free buffer places, the drain, the final stop): an
// abort stops the motors, returns them to position mode, halts them there,
// reads the position back and throws abortedDuringMove. A
// motor whose buffer frees no place for longer than the queued segments take
// to play plus 1 s is stopped, returned to position mode and reported as
// corruptedCommunications. On any other failure after "MD" the motors are
// sent "MP" (best effort) before the error goes up.
//
// Throws the CommunicationsError of a failed exchange unchanged; the errors
// of the buffer queries and of the final wait as they come.
// Threads: runs on the robot queue, like every robot operation.

#include <vector>

#include "Dotfield/Robotics/SmartMotor/ContouringCoordinate.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class DropwrightIIa;

// Fewer than two points, or none away from the first, send nothing.
void animaticsMoveSequence(const std::vector<ContouringCoordinate>& points, DropwrightIIa& robot);

// "MP" to all motors, Z then X and Y to the coordinate, and the wait until
// every axis stands; the robot's position becomes the coordinate (the
// position read back after an abort).
void finishAnimaticsMoveSequence(const VeltranePatterns::Coordinate& at, DropwrightIIa& robot);

} // namespace Dotfield
