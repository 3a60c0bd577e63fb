// Aborting a move of the DropwrightDesktop from another thread: the
// controller cannot be stopped, so the halt waits for the axes to stand and
// the position recorded is where they came to rest.

#include <chrono>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/RobotConnection.hpp"
#include "Dotfield/tests/Robotics/Gilson/GilsonFixture.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::WorldAxis;

class DropwrightDesktopAbort : public GilsonFixture {};

TEST_F(DropwrightDesktopAbort, AnAbortedMoveEndsWhereTheAxisCameToRest) {
    initializeConnectionToRobot(*robot, opener());
    robot->setVelocity(20000.0, MotorPosition::xMotor);
    auto move = std::async(std::launch::async, [&] {
        try {
            robot->moveToPosition({300000.0, 0.0, 100000.0});
        } catch (const RoboticsError& error) {
            return error.kind();
        }
        return RoboticsError::Kind::internalTestFailure;
    });
    EXPECT_TRUE(Dotfield::Testing::eventually([&] { return world->axis(WorldAxis::x).moving; }));
    robot->setMovementAborted(true);
    EXPECT_EQ(move.get(), RoboticsError::Kind::abortedDuringMove);
    // The controller ran on to its target; the halt waited for it.
    EXPECT_FALSE(world->axis(WorldAxis::x).moving);
    EXPECT_NEAR(robot->currentCoordinate().x, world->axis(WorldAxis::x).position, 1e-6);
    EXPECT_NEAR(robot->currentCoordinate().x, 300000.0, 1e-6);
    EXPECT_FALSE(robot->movementAborted());
}

} // namespace
} // namespace Dotfield::testing
