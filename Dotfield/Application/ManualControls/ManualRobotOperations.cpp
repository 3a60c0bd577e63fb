#include "Dotfield/Application/ManualControls/ManualRobotOperations.hpp"

#include <string>
#include <utility>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Instrument/Axes/MotorPosition.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/Robotics/SurfaceFinding.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

using VeltranePatterns::Coordinate;

// Runs the work on the robot's queue as one operation; its error goes to the handler.
void queueReportingErrors(const std::shared_ptr<Robot>& robot, RobotErrorHandler errorHandler,
                          std::function<void()> work) {
    robot->runOnRoboticsQueue([work = std::move(work), errorHandler = std::move(errorHandler)] {
        try {
            work();
        } catch (...) {
            if (errorHandler) {
                errorHandler(std::current_exception());
            } else {
                Diagnostics::printWithContext("A manual robot operation failed with no error handler set");
            }
        }
    });
}

void move(Robot& robot, const Coordinate& target, MoveRoute route) {
    if (route == MoveRoute::direct) {
        robot.moveToPosition(target);
        return;
    }
    const std::optional<double> travelHeight = robot.safePickupHeight();
    if (!travelHeight) {
        Diagnostics::printWithContext("No safe pickup height: the move via the travel height is not made");
        return;
    }
    robot.moveToPosition(target, *travelHeight);
}

} // namespace

void queueMove(const std::shared_ptr<Robot>& robot, const Coordinate& target, MoveRoute route,
               RobotErrorHandler errorHandler) {
    queueReportingErrors(robot, std::move(errorHandler), [robot, target, route] { move(*robot, target, route); });
}

Coordinate homeRobotAndStoreHome(Robot& robot) {
    const Coordinate home = robot.home();
    robot.setHomePosition(home);
    robot.userDefaults()->setCoordinate(home, storedHomeLocationKey);
    robot.setCurrentCoordinateAndNotify(home);
    return home;
}

void queueHomeIfNeeded(const std::shared_ptr<Robot>& robot, RobotErrorHandler errorHandler,
                       bool clearPositionerErrorsFirst) {
    queueReportingErrors(robot, std::move(errorHandler), [robot, clearPositionerErrorsFirst] {
        if (clearPositionerErrorsFirst) {
            for (const auto motor : {MotorPosition::xMotor, MotorPosition::yMotor, MotorPosition::zMotor}) {
                robot->clearPositionerErrorForMotor(motor);
            }
        }
        if (robot->needsToHome()) {
            homeRobotAndStoreHome(*robot);
            return;
        }
        move(*robot, robot->homePosition().value_or(robot->homeToLimitOffsetInMicrons()),
             MoveRoute::viaTravelHeight);
    });
}

void queueFindSurface(const std::shared_ptr<Robot>& robot, const std::shared_ptr<Electronics>& electronics,
                      std::function<void()> recalibrationOperation, RobotErrorHandler errorHandler) {
    queueReportingErrors(
        robot, std::move(errorHandler),
        [robot, electronics, recalibrationOperation = std::move(recalibrationOperation)] {
            const bool slow = robot->shouldUseSlowApproachDuringSurfaceFinding();
            const double approach = slow ? robot->slowSurfaceApproachStepSize() : robot->surfaceApproachStepSize();
            findSurfaceWithApproachStepSize(approach, robot->surfaceRetractionStepSize(), !slow, *robot,
                                            *electronics, recalibrationOperation);
        });
}

} // namespace Dotfield
