// An abort raised on another thread while a contour plays.

#include <chrono>
#include <exception>
#include <thread>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/tests/Robotics/SmartMotor/ContourFixture.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::WorldAxis;

using Dotfield::Testing::eventually;

TEST_F(ContourFixture, AnAbortMidContourStopsTheMotorsAndReturnsThemToPositionMode) {
    // 200 mm at 1 mm/s: 200 s of the world, two real seconds.
    std::exception_ptr failure;
    std::thread drawing([&] {
        try {
            robot->drawLineToCoordinate({200000, 0, 0}, nullptr, 1000.0, 10000.0);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    const bool playing = eventually([&] { return world->axis(WorldAxis::x).position > 1000.0; });
    robot->setMovementAborted(true);
    drawing.join();
    ASSERT_TRUE(playing);

    ASSERT_TRUE(failure);
    try {
        std::rethrow_exception(failure);
    } catch (const RoboticsError& error) {
        EXPECT_EQ(error.kind(), RoboticsError::Kind::abortedDuringMove);
    }
    EXPECT_FALSE(robot->movementAborted());
    EXPECT_TRUE(sentAfterTheLastPosition({0, "S", {}}));
    EXPECT_TRUE(sentAfterTheLastPosition({3, "MP", {}}));
    EXPECT_EQ(bus->mode(WorldAxis::x), Bus::positionMode);
    EXPECT_FALSE(world->axis(WorldAxis::x).moving);
    const double stoppedAt = world->tipPosition().x;
    EXPECT_LT(stoppedAt, 100000.0);
    EXPECT_NEAR(robot->currentCoordinate().x, stoppedAt, 2.5);
}

} // namespace
} // namespace Dotfield::testing
