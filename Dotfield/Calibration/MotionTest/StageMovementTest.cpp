#include "Dotfield/Calibration/MotionTest/StageMovementTest.hpp"

#include "Dotfield/Robotics/Robot.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

using VeltranePatterns::Coordinate;

const Coordinate& StageMovementTestPositions::operator[](char name) const {
    switch (name) {
    case 'A':
        return a;
    case 'B':
        return b;
    case 'C':
        return c;
    case 'D':
        return d;
    case 'E':
        return e;
    default:
        throw std::out_of_range("No motion test position of that name");
    }
}

StageMovementTestPositions stageMovementTestPositions(const Coordinate& minimum, const Coordinate& maximum) {
    const double lowX = minimum.x + stageMovementTestInset;
    const double lowY = minimum.y + stageMovementTestInset;
    const double top = maximum.z - stageMovementTestInset;
    return {.a = {lowX, lowY, top},
            .b = {maximum.x, lowY, top},
            .c = {lowX, maximum.y, top},
            .d = {maximum.x, maximum.y, top},
            .e = {lowX, lowY, minimum.z}};
}

StageMovementTestOutsideTravel::StageMovementTestOutsideTravel()
    : std::runtime_error("The motion test's positions lie outside the positioner's travel") {}

void performStageMovementTestLoop(Robot& robot, const std::atomic<bool>& shouldCancel,
                                  const std::function<void(std::uint64_t)>& cycleCompleted) {
    // The limits are read once: the whole test runs between the same five positions.
    const Coordinate minimum = robot.minimumMotorPosition();
    const Coordinate maximum = robot.maximumMotorPosition();
    const StageMovementTestPositions positions = stageMovementTestPositions(minimum, maximum);
    const auto withinTravel = [&](const Coordinate& p) {
        return minimum.x <= p.x && p.x <= maximum.x && minimum.y <= p.y && p.y <= maximum.y && minimum.z <= p.z &&
               p.z <= maximum.z;
    };
    for (const Coordinate* position : {&positions.a, &positions.b, &positions.c, &positions.d, &positions.e}) {
        if (!withinTravel(*position)) {
            throw Diagnostics::logAndReturnError(StageMovementTestOutsideTravel());
        }
    }
    robot.useManualPositioningMovementParameters();
    robot.moveToPosition(positions.a);
    for (std::uint64_t cycles = 1;; ++cycles) {
        for (const char name : stageMovementTestCycle) {
            robot.moveToPosition(positions[name]);
            if (shouldCancel.load()) {
                return;
            }
        }
        if (cycleCompleted) {
            cycleCompleted(cycles);
        }
    }
}

} // namespace Dotfield
