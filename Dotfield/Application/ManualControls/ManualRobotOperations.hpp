#pragma once
// The robot work the manual controls start. Each is one operation queued with
// Robot::runOnRoboticsQueue, so it runs after the work queued before it and
// the windows see the robot busy meanwhile. Everything that asks the
// positioner something (whether it needs homing, where it is) is asked inside
// the operation, on the robot's queue. An error ends the operation and goes,
// unchanged, to the error handler (only logged when there is none).

#include <exception>
#include <functional>
#include <memory>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class Electronics;
class Robot;

using RobotErrorHandler = std::function<void(std::exception_ptr)>;

inline constexpr const char* storedHomeLocationKey = "storedHomeLocation";

enum class MoveRoute {
    // Straight to the target.
    direct,
    // Up to the robot's safe pickup height, across, then down.
    viaTravelHeight,
};

// Queues a move to the target. A move via the travel height of a robot that
// has no safe pickup height is not made (logged).
void queueMove(const std::shared_ptr<Robot>& robot, const VeltranePatterns::Coordinate& target, MoveRoute route,
               RobotErrorHandler errorHandler);

// On the robot's queue: homes the positioner, makes the result the robot's
// home position and current position (telling its position observer), and
// stores it under "storedHomeLocation" in the robot's own settings store.
VeltranePatterns::Coordinate homeRobotAndStoreHome(Robot& robot);

// Queues one operation that asks whether the positioner needs homing and then
// homes it (homeRobotAndStoreHome), or else travels to the known home
// position, or without one to the model's default home target, via the
// travel height. With clearPositionerErrorsFirst, the three motors' errors
// are cleared before the question.
void queueHomeIfNeeded(const std::shared_ptr<Robot>& robot, RobotErrorHandler errorHandler,
                       bool clearPositionerErrorsFirst = false);

// Queues surface finding from where the dispenser is: the slow approach step
// without stepping off the surface when the robot is set to approach slowly,
// else the normal approach step, stepping off; both with the robot's
// retraction step. The position reached is not used.
void queueFindSurface(const std::shared_ptr<Robot>& robot, const std::shared_ptr<Electronics>& electronics,
                      std::function<void()> recalibrationOperation, RobotErrorHandler errorHandler);

} // namespace Dotfield
