#include <exception>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/tests/SimulatedInstrument/RobotOnSimulatedInstrumentFixture.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::WorldAxis;
using Simulators::WorldPoint;

TEST_F(RobotOnSimulatedInstrument, AnAbortDuringTheCrossingStopsTheWorldShort) {
    onRobotQueue([&] {
        robot->moveToPosition(Coordinate{0.0, 0.0, 5000.0});
        // A slow crossing: 10000 µm at 200 µm/s is 50 s of world time, a
        // window of seconds in real time even on a loaded machine.
        robot->setVelocity(200.0, MotorPosition::xMotor);
    });
    std::vector<bool> busy;
    robot->addObserverForMovementCompletion([&](bool started) { busy.push_back(started); });
    std::exception_ptr failure;
    robot->runOnRoboticsQueue([&] {
        try {
            robot->moveToPosition(Coordinate{10000.0, 0.0, 5000.0}, 20000.0);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    auto& pump = mainThread.pump();
    ASSERT_TRUE(
        pump.runUntil([&] { return world->axis(WorldAxis::x).moving; }, Dotfield::Testing::eventuallyLimit));
    robot->setMovementAborted(true);
    // The observers hear false once the operation is over.
    ASSERT_TRUE(pump.runUntil(
        [&] {
            return busy == std::vector<bool>{true, false};
        },
        Dotfield::Testing::eventuallyLimit));

    ASSERT_TRUE(failure);
    const auto error = errorThrownBy<RoboticsError>([&] { std::rethrow_exception(failure); });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::abortedDuringMove);
    EXPECT_FALSE(robot->movementAborted());
    const WorldPoint stopped = world->tipPosition();
    EXPECT_FALSE(world->axis(WorldAxis::x).moving);
    EXPECT_GT(stopped.x, 0.0);
    EXPECT_LT(stopped.x, 10000.0);
    EXPECT_EQ(stopped.z, 20000.0);
    EXPECT_EQ(robot->currentCoordinate(), coordinateOf(stopped));
    const auto commands = positionerCommands();
    const auto halt = std::find(commands.begin(), commands.end(), "H");
    ASSERT_NE(halt, commands.end());
    EXPECT_EQ(*(halt + 1), "P");
    EXPECT_EQ(halt + 2, commands.end());
}

} // namespace
} // namespace Dotfield::testing
