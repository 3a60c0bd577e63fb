// The robot's blocking moves and the wait they share. They reach the
// controllers only through the model's operations, so they work the same for
// every positioner, and they run on the robot queue inside a queued operation.

#include <algorithm>
#include <chrono>
#include <cmath>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

using VeltranePatterns::Coordinate;
using Diagnostics::SourceLocation;

bool anyAxis(const VeltranePatterns::AxisFlags& axes) {
    return axes.x || axes.y || axes.z;
}

RoboticsError abortedDuringMove(const char* function,
                                const SourceLocation& location = SourceLocation::current()) {
    return Diagnostics::logAndReturnError(
        RoboticsError(RoboticsError::Kind::abortedDuringMove),
        SourceLocation::current(location.file_name(), location.line(), function));
}

} // namespace

void Robot::requireFiniteTarget(const Coordinate& target, std::optional<double> travelHeight) {
    if (!isFinite(target) || (travelHeight && !std::isfinite(*travelHeight))) {
        throw abortedDuringMove("moveToPosition");
    }
}

void Robot::commandXY(const AxisFlags& axes, double xTarget, double yTarget) {
    if (axes.x && axes.y) {
        moveXandYMotorsToPosition(xTarget, yTarget);
    } else if (axes.x) {
        moveMotor(MotorPosition::xMotor, xTarget);
    } else if (axes.y) {
        moveMotor(MotorPosition::yMotor, yTarget);
    }
}

void Robot::moveToPosition(const Coordinate& target) {
    requireFiniteTarget(target);
    // A target beyond the travel is where the controllers stop, so that is the
    // position to believe afterwards.
    const Coordinate destination = limitedToTravel(target);
    const double xTarget = convertPositionToMotorCoordinateSpaceInX(destination.x);
    const double yTarget = convertPositionToMotorCoordinateSpaceInY(destination.y);
    const double zTarget = convertPositionToMotorCoordinateSpaceInZ(destination.z);

    const AxisFlags axes = destination.differenceAboveMargin(currentCoordinate(), movementMargin);
    if (!anyAxis(axes)) {
        return;
    }
    // Back to back, Z first, so that all axes travel together.
    if (axes.z) {
        moveMotor(MotorPosition::zMotor, zTarget);
    }
    commandXY(axes, xTarget, yTarget);
    waitForMovementToFinishOnAxes(axes.x, axes.y, axes.z, false);
    // An axis left alone stays where it was: believing it at the target would
    // let a run of small steps (a tilted arc's segments) drift it away by
    // more than the margin each time.
    const Coordinate here = currentCoordinate();
    setCurrentCoordinateAndNotify({axes.x ? destination.x : here.x, axes.y ? destination.y : here.y,
                                   axes.z ? destination.z : here.z});
}

void Robot::moveToPosition(const Coordinate& target, double travelHeight) {
    requireFiniteTarget(target, travelHeight);
    const Coordinate destination = limitedToTravel(target);
    const Coordinate start = currentCoordinate();
    const Coordinate maximum = maximumMotorPosition();

    // Never lower than where the dispenser is or will be; otherwise the travel
    // height, kept below the top of the Z travel.
    double travelZ = 0.0;
    if (destination.z > travelHeight || start.z > travelHeight) {
        travelZ = std::max(start.z, destination.z);
    } else {
        travelZ = std::min(travelHeight, maximum.z - travelHeightCapBelowMaximum);
    }
    travelZ = limitedToTravel(start.coordinateWithZ(travelZ)).z;

    const double xTarget = convertPositionToMotorCoordinateSpaceInX(destination.x);
    const double yTarget = convertPositionToMotorCoordinateSpaceInY(destination.y);
    const double zTarget = convertPositionToMotorCoordinateSpaceInZ(destination.z);
    const double travelZTarget = convertPositionToMotorCoordinateSpaceInZ(travelZ);

    const AxisFlags axes = destination.differenceAboveMargin(start, movementMargin);
    if (!axes.x && !axes.y) {
        // Only Z (or nothing) changes: straight there, the travel height plays no part.
        if (axes.z) {
            moveMotor(MotorPosition::zMotor, zTarget);
            waitForMovementToFinishOnAxes(false, false, true, false);
            setCurrentCoordinateAndNotify(destination);
        }
        return;
    }

    moveMotor(MotorPosition::zMotor, travelZTarget);
    waitForMovementToFinishOnAxes(false, false, true, false);
    setCurrentCoordinateAndNotify(start.coordinateWithZ(travelZ));

    commandXY(axes, xTarget, yTarget);
    waitForMovementToFinishOnAxes(axes.x, axes.y, false, false);
    setCurrentCoordinateAndNotify(destination.coordinateWithZ(travelZ));

    if (travelZTarget != zTarget) {
        moveMotor(MotorPosition::zMotor, zTarget);
        waitForMovementToFinishOnAxes(false, false, true, false);
    }
    setCurrentCoordinateAndNotify(destination);
}

void Robot::haltAfterAbort(const char* function) {
    haltMovement();
    setCurrentCoordinateAndNotify(readCurrentPosition());
    throw abortedDuringMove(function);
}

void Robot::waitForMovementToFinishOnAxes(bool x, bool y, bool z, bool isHoming,
                                          std::optional<double> timeoutInSeconds) {
    const Clock::TimePoint start = clock_->now();
    AxisFlags moving{x, y, z};
    do {
        if (movementAborted_.exchange(false)) {
            haltAfterAbort("waitForMovementToFinishOnAxes");
        }
        // A given limit ends the wait without halting: the caller may still need
        // the axes that run (a homing that reverses them).
        if (timeoutInSeconds &&
            std::chrono::duration<double>(clock_->now() - start).count() > *timeoutInSeconds) {
            throw abortedDuringMove("waitForMovementToFinishOnAxes");
        }
        // An axis reported stopped is not asked again.
        const AxisFlags answer = checkIfAxesAreMoving(moving.x, moving.y, moving.z, isHoming);
        moving = {moving.x && answer.x, moving.y && answer.y, moving.z && answer.z};
    } while (anyAxis(moving));
}

} // namespace Dotfield
