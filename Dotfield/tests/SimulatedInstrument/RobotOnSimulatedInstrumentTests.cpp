#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Robotics/TopographyGrid.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"
#include "Dotfield/tests/SimulatedInstrument/RobotOnSimulatedInstrumentFixture.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::WorldAxis;
using Simulators::WorldPoint;

TEST_F(RobotOnSimulatedInstrument, ZAndXAreBothSentBeforeTheOneWait) {
    onRobotQueue([&] { robot->moveToPosition(Coordinate{1000.0, 0.0, 2000.0}); });
    const auto commands = positionerCommands();
    ASSERT_GE(commands.size(), 3u);
    EXPECT_EQ(commands[0], "M Z 2000.0");
    EXPECT_EQ(commands[1], "M X 1000.0");
    EXPECT_TRUE(std::all_of(commands.begin() + 2, commands.end(), [](const auto& line) { return line == "S"; }));
    EXPECT_EQ(robot->currentCoordinate(), (Coordinate{1000.0, 0.0, 2000.0}));
    EXPECT_EQ(world->tipPosition(), (WorldPoint{1000.0, 0.0, 2000.0}));
}

TEST_F(RobotOnSimulatedInstrument, TheTravelMoveLiftsCrossesAndLowersThroughTheWorld) {
    struct Case {
        double travelHeight;
        double liftedTo;
    };
    for (const Case& c : {Case{20000.0, 20000.0}, Case{95000.0, 89000.0}}) {
        onRobotQueue([&] { robot->moveToPosition(Coordinate{0.0, 0.0, 5000.0}); });
        positioner->clearCommands();
        reported.clear();
        worldThen.clear();
        observePositions();

        onRobotQueue([&] { robot->moveToPosition(Coordinate{10000.0, 0.0, 5000.0}, c.travelHeight); });
        const std::vector<Coordinate> legs{
            {0.0, 0.0, c.liftedTo}, {10000.0, 0.0, c.liftedTo}, {10000.0, 0.0, 5000.0}};
        EXPECT_EQ(reported, legs) << c.travelHeight;
        EXPECT_EQ(worldThen, legs) << c.travelHeight;
        std::vector<std::string> moves;
        for (const auto& line : positionerCommands()) {
            if (line != "S") {
                moves.push_back(line);
            }
        }
        const std::string lift = "M Z " + std::string(c.liftedTo == 20000.0 ? "20000.0" : "89000.0");
        EXPECT_EQ(moves, (std::vector<std::string>{lift, "M X 10000.0", "M Z 5000.0"}));
        robot->setCoordinateUpdateObserver(nullptr);
    }
}

TEST_F(RobotOnSimulatedInstrument, TheGridMeasuresItsPointsRowByRow) {
    onRobotQueue([&] { robot->moveToPosition(Coordinate{5000.0, 7000.0, 3000.0}); });
    std::vector<Coordinate> measuredAt;
    const auto points = onRobotQueue([&] {
        return mapTopographyGrid(*robot, 2000.0, 1000.0, 1000.0, 1000.0, [&] {
            measuredAt.push_back(coordinateOf(world->tipPosition()));
            return measuredAt.back();
        });
    });
    const std::vector<Coordinate> expected{{5000, 7000, 3000}, {6000, 7000, 3000}, {7000, 7000, 3000},
                                           {5000, 8000, 3000}, {6000, 8000, 3000}, {7000, 8000, 3000}};
    EXPECT_EQ(measuredAt, expected);
    EXPECT_EQ(points, expected);
}

TEST_F(RobotOnSimulatedInstrument, AnObstructionInTheWorldIsAnObstructionToTheRobot) {
    world->placeObstruction(WorldAxis::x, 3000.0, 4000.0);
    const auto error =
        errorThrownBy<RoboticsError>([&] { onRobotQueue([&] { robot->moveToPosition(Coordinate{10000.0, 0.0, 0.0}); }); });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::hitObstruction);
    EXPECT_EQ(world->tipPosition(), (WorldPoint{3000.0, 0.0, 0.0}));
    EXPECT_TRUE(world->axis(WorldAxis::x).faulted);
    onRobotQueue([&] { robot->clearPositionerErrorForMotor(MotorPosition::xMotor); });
    EXPECT_FALSE(world->axis(WorldAxis::x).faulted);
}

TEST_F(RobotOnSimulatedInstrument, AFailingYVelocityLeavesXSetAndSendsNothingAfterIt) {
    positioner->queueReplyFault(Simulators::ReplyFault::pass());
    positioner->queueReplyFault(Simulators::ReplyFault::drop());
    const auto error =
        errorThrownBy<RoboticsError>([&] { onRobotQueue([&] { robot->useManualPositioningMovementParameters(); }); });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::notConnected);
    EXPECT_EQ(positionerCommands(), (std::vector<std::string>{"V X 100000.0", "V Y 100000.0"}));
}

// ---- Connection ------------------------------------------------------------------

class RobotConnectingToSimulatedInstrument : public SimulatedDropwrightFixture {
  protected:
    RobotConnectingToSimulatedInstrument() { options.start = WorldPoint{1500.0, 2500.0, 3500.0}; }
};

TEST_F(RobotConnectingToSimulatedInstrument, ReadsThePositionAndAppliesTheManualSpeeds) {
    std::vector<Coordinate> told;
    robot->setCoordinateUpdateObserver([&](const Coordinate& coordinate) { told.push_back(coordinate); });
    connectRobot();
    EXPECT_EQ(robot->currentCoordinate(), (Coordinate{1500.0, 2500.0, 3500.0}));
    EXPECT_EQ(told, (std::vector<Coordinate>{{1500.0, 2500.0, 3500.0}}));
    EXPECT_EQ(positionerCommands(),
              (std::vector<std::string>{"P", "N", "V X 100000.0", "V Y 100000.0", "V Z 100000.0", "A X 100000.0",
                                        "A Y 100000.0", "A Z 100000.0"}));
}

TEST_F(RobotConnectingToSimulatedInstrument, AMissingAdapterIsNotConnectedOnAllMotors) {
    robot->setCurrentCoordinate(Coordinate{1.0, 2.0, 3.0});
    positioner->unplug(); // takes the dual adapter off the bus
    const auto error = errorThrownBy<RoboticsError>([&] { connectRobot(); });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::notConnected);
    EXPECT_EQ(error.axes(), (std::set<MotorPosition>{MotorPosition::allMotors}));
    EXPECT_EQ(robot->currentCoordinate(), (Coordinate{1.0, 2.0, 3.0}));
    EXPECT_FALSE(robot->serialPort());
}

class UnhomedPositioner : public SimulatedDropwrightFixture {
  protected:
    UnhomedPositioner() { options.homed = false; }
};

TEST_F(UnhomedPositioner, KeepsItsLinkAndGetsNoSpeedsUntilHomed) {
    const auto error = errorThrownBy<RoboticsError>([&] { connectRobot(); });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::needsToHome);
    ASSERT_TRUE(robot->serialPort());
    EXPECT_FALSE(robot->serialPort()->isClosed());
    EXPECT_EQ(robot->currentCoordinate(), (Coordinate{0.0, 0.0, 0.0}));
    EXPECT_EQ(positionerCommands(), (std::vector<std::string>{"P", "N"}));

    const Coordinate homed = performOnQueueSync([&] { return robot->home(); }, *robot);
    EXPECT_EQ(homed, coordinateOf(world->homeSwitches()));
    EXPECT_FALSE(world->needsHoming());
    // Reconnected as the recovery does it, the positioner now takes its speeds.
    robot->disconnectFromSerialPort();
    connectRobot();
    EXPECT_EQ(positionerCommands().back(), "A Z 100000.0");
}

} // namespace
} // namespace Dotfield::testing
