#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "Dotfield/Robotics/TopographyGrid.hpp"
#include "Dotfield/tests/Robotics/RecordingRobot.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"

namespace Dotfield {
namespace {

using testing::emptySettings;
using testing::RecordingModel;
using testing::RecordingRobot;
using VeltranePatterns::AxisFlags;
using VeltranePatterns::Coordinate;
using Calls = std::vector<std::string>;

class RobotMoveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        robot->setCoordinateUpdateObserver([this](const Coordinate& c) { reported.push_back(c); });
    }

    // Starts the robot (and its axes) at the position, with nothing recorded.
    void startAt(const Coordinate& position) {
        robot->setCurrentCoordinate(position);
        robot->placeAxesAt(position);
    }

    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    // Maximum Z 90000, as in the travel examples.
    std::shared_ptr<RecordingRobot> robot =
        Robot::make<RecordingRobot>(emptySettings(), RecordingModel{}, std::shared_ptr<Clock>(clock));
    std::vector<Coordinate> reported;
};

// ---- Straight moves ---------------------------------------------------------------------

TEST_F(RobotMoveTest, SendsZThenXAndWaitsForBothOnce) {
    robot->moveToPosition(Coordinate(100.0, 0.0, 50.0));
    EXPECT_EQ(robot->calls(), (Calls{"moveMotor z 50.0", "moveMotor x 100.0", "checkIfAxesAreMoving xz"}));
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(100.0, 0.0, 50.0));
    EXPECT_EQ(reported, (std::vector<Coordinate>{Coordinate(100.0, 0.0, 50.0)}));
}

TEST_F(RobotMoveTest, CommandsOnlyTheAxesThatDifferByMoreThanTheMargin) {
    struct Row {
        Coordinate target;
        Calls calls;
    };
    const std::vector<Row> rows = {
        {Coordinate(0.4, -0.4, 0.5), {}},
        {Coordinate(10.0, 20.0, 0.0), {"moveXandY 10.0 20.0", "checkIfAxesAreMoving xy"}},
        {Coordinate(0.0, 20.0, 0.0), {"moveMotor y 20.0", "checkIfAxesAreMoving y"}},
        {Coordinate(0.0, 0.0, 0.6), {"moveMotor z 0.6", "checkIfAxesAreMoving z"}},
        {Coordinate(5.0, 6.0, 7.0), {"moveMotor z 7.0", "moveXandY 5.0 6.0", "checkIfAxesAreMoving xyz"}},
    };
    for (const Row& row : rows) {
        startAt(Coordinate::zero);
        robot->clearCalls();
        reported.clear();
        robot->moveToPosition(row.target);
        EXPECT_EQ(robot->calls(), row.calls) << row.target.preciseDescription();
        // Nothing moved: the old position stays, and nobody is told.
        const Coordinate expected = row.calls.empty() ? Coordinate::zero : row.target;
        EXPECT_EQ(robot->currentCoordinate(), expected);
        EXPECT_EQ(reported.size(), row.calls.empty() ? 0U : 1U);
    }
}

TEST_F(RobotMoveTest, ATargetBeyondTheTravelIsRecordedWhereTheTravelEnds) {
    robot->moveToPosition(Coordinate(400000.0, -5.0, 95000.0));
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(300000.0, 0.0, 90000.0));
    EXPECT_EQ(robot->calls(),
              (Calls{"moveMotor z 90000.0", "moveMotor x 300000.0", "checkIfAxesAreMoving xz"}));
}

TEST_F(RobotMoveTest, ATargetThatIsNotFiniteIsRefusedBeforeAnythingIsSent) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    for (const Coordinate& target :
         {Coordinate(nan, 0.0, 0.0), Coordinate(0.0, infinity, 0.0), Coordinate(0.0, 0.0, -infinity)}) {
        EXPECT_EQ(errorThrownBy<RoboticsError>([&] { robot->moveToPosition(target); }).kind(),
                  RoboticsError::Kind::abortedDuringMove);
        EXPECT_EQ(errorThrownBy<RoboticsError>([&] { robot->moveToPosition(target, 20000.0); }).kind(),
                  RoboticsError::Kind::abortedDuringMove);
    }
    EXPECT_EQ(
        errorThrownBy<RoboticsError>([&] { robot->moveToPosition(Coordinate(1.0, 0.0, 0.0), nan); }).kind(),
        RoboticsError::Kind::abortedDuringMove);
    EXPECT_TRUE(robot->calls().empty());
    EXPECT_EQ(robot->currentCoordinate(), Coordinate::zero);
}

TEST_F(RobotMoveTest, AFailingCommandEndsTheMoveBeforeTheWait) {
    robot->failOn("moveMotor z");
    EXPECT_THROW(robot->moveToPosition(Coordinate(100.0, 0.0, 50.0)), RoboticsError);
    EXPECT_EQ(robot->calls(), (Calls{"moveMotor z 50.0"}));
    EXPECT_EQ(robot->currentCoordinate(), Coordinate::zero);
    EXPECT_TRUE(reported.empty());
}

// ---- Travel moves ---------------------------------------------------------------------------

struct TravelCase {
    const char* name;
    Coordinate start;
    Coordinate target;
    double travelHeight;
    Calls calls;
    std::vector<Coordinate> reported;
};

class TravelMoveTest : public RobotMoveTest, public ::testing::WithParamInterface<TravelCase> {};

TEST_P(TravelMoveTest, LiftsCrossesAndLowersReportingEachLeg) {
    const TravelCase& row = GetParam();
    startAt(row.start);
    robot->moveToPosition(row.target, row.travelHeight);
    EXPECT_EQ(robot->calls(), row.calls);
    EXPECT_EQ(reported, row.reported);
    EXPECT_EQ(robot->currentCoordinate(), row.reported.empty() ? row.start : row.target);
}

INSTANTIATE_TEST_SUITE_P(
    Legs, TravelMoveTest,
    ::testing::Values(
        TravelCase{"ThroughTheTravelHeight",
                   Coordinate(0.0, 0.0, 5000.0),
                   Coordinate(10000.0, 0.0, 5000.0),
                   20000.0,
                   {"moveMotor z 20000.0", "checkIfAxesAreMoving z", "moveMotor x 10000.0",
                    "checkIfAxesAreMoving x", "moveMotor z 5000.0", "checkIfAxesAreMoving z"},
                   {Coordinate(0.0, 0.0, 20000.0), Coordinate(10000.0, 0.0, 20000.0),
                    Coordinate(10000.0, 0.0, 5000.0)}},
        TravelCase{"CappedBelowTheTopOfTheTravel",
                   Coordinate(0.0, 0.0, 5000.0),
                   Coordinate(0.0, 10000.0, 5000.0),
                   95000.0,
                   {"moveMotor z 89000.0", "checkIfAxesAreMoving z", "moveMotor y 10000.0",
                    "checkIfAxesAreMoving y", "moveMotor z 5000.0", "checkIfAxesAreMoving z"},
                   {Coordinate(0.0, 0.0, 89000.0), Coordinate(0.0, 10000.0, 89000.0),
                    Coordinate(0.0, 10000.0, 5000.0)}},
        TravelCase{
            "NeverBelowTheDispensersHeight",
            Coordinate(0.0, 0.0, 5000.0),
            Coordinate(10.0, 20.0, 4000.0),
            3000.0,
            {"moveMotor z 5000.0", "checkIfAxesAreMoving z", "moveXandY 10.0 20.0", "checkIfAxesAreMoving xy",
             "moveMotor z 4000.0", "checkIfAxesAreMoving z"},
            {Coordinate(0.0, 0.0, 5000.0), Coordinate(10.0, 20.0, 5000.0), Coordinate(10.0, 20.0, 4000.0)}},
        TravelCase{"OnlyZGoesStraightThere",
                   Coordinate(0.0, 0.0, 5000.0),
                   Coordinate(0.0, 0.0, 7000.0),
                   20000.0,
                   {"moveMotor z 7000.0", "checkIfAxesAreMoving z"},
                   {Coordinate(0.0, 0.0, 7000.0)}},
        TravelCase{
            "NoFinalZWhenTheTargetIsAtTheTravelHeight",
            Coordinate(0.0, 0.0, 5000.0),
            Coordinate(10.0, 0.0, 20000.0),
            20000.0,
            {"moveMotor z 20000.0", "checkIfAxesAreMoving z", "moveMotor x 10.0", "checkIfAxesAreMoving x"},
            {Coordinate(0.0, 0.0, 20000.0), Coordinate(10.0, 0.0, 20000.0), Coordinate(10.0, 0.0, 20000.0)}},
        TravelCase{"NothingToDo", Coordinate(1.0, 2.0, 3.0), Coordinate(1.2, 2.2, 3.2), 20000.0, {}, {}}),
    [](const ::testing::TestParamInfo<TravelCase>& row) { return row.param.name; });

TEST_F(RobotMoveTest, AFailedCrossingLeavesThePositionAtTheLift) {
    startAt(Coordinate(0.0, 0.0, 5000.0));
    robot->failOn("moveMotor x");
    EXPECT_THROW(robot->moveToPosition(Coordinate(10000.0, 0.0, 5000.0), 20000.0), RoboticsError);
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(0.0, 0.0, 20000.0));
    EXPECT_EQ(reported, (std::vector<Coordinate>{Coordinate(0.0, 0.0, 20000.0)}));
}

// ---- The wait ---------------------------------------------------------------------------------

TEST_F(RobotMoveTest, StoppedAxesDropOutOfThePoll) {
    // Z stops after the first poll, X after the second, Y after the third.
    int polls = 0;
    robot->answerPollsWith([&](AxisFlags asked) {
        ++polls;
        return AxisFlags{asked.x && polls < 2, asked.y && polls < 3, false};
    });
    robot->waitForMovementToFinishOnAxes(true, true, true, false);
    EXPECT_EQ(robot->calls(),
              (Calls{"checkIfAxesAreMoving xyz", "checkIfAxesAreMoving xy", "checkIfAxesAreMoving y"}));
}

TEST_F(RobotMoveTest, AnAbortDuringTheCrossingHaltsAndKeepsThePositionReadBack) {
    startAt(Coordinate(0.0, 0.0, 5000.0));
    // The operator aborts while X is on its way; the controllers stop it at 4000.
    robot->answerPollsWith([&](AxisFlags asked) {
        if (asked.x) {
            robot->placeAxesAt(Coordinate(4000.0, 0.0, 20000.0));
            robot->setMovementAborted(true);
        }
        return AxisFlags{asked.x, false, false};
    });
    const auto error = errorThrownBy<RoboticsError>(
        [&] { robot->moveToPosition(Coordinate(10000.0, 0.0, 5000.0), 20000.0); });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::abortedDuringMove);
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(4000.0, 0.0, 20000.0));
    EXPECT_EQ(reported.back(), Coordinate(4000.0, 0.0, 20000.0));
    EXPECT_FALSE(robot->movementAborted());
    const Calls calls = robot->calls();
    EXPECT_EQ(Calls(calls.end() - 4, calls.end()), (Calls{"moveMotor x 10000.0", "checkIfAxesAreMoving x",
                                                          "haltMovement", "readCurrentPosition"}));

    // The next move runs normally.
    robot->answerPollsWith({});
    robot->moveToPosition(Coordinate(10000.0, 0.0, 20000.0));
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(10000.0, 0.0, 20000.0));
}

TEST_F(RobotMoveTest, AFailingHaltKeepsThePositionAndThrowsItsOwnError) {
    robot->setMovementAborted(true);
    robot->failOn("haltMovement");
    const auto error =
        errorThrownBy<RoboticsError>([&] { robot->moveToPosition(Coordinate(100.0, 0.0, 0.0)); });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::corruptedCommunications);
    EXPECT_EQ(robot->currentCoordinate(), Coordinate::zero);
    EXPECT_FALSE(robot->movementAborted());
}

TEST_F(RobotMoveTest, APassedTimeLimitEndsTheWaitWithoutHalting) {
    robot->answerPollsWith([&](AxisFlags asked) {
        clock->advance(std::chrono::milliseconds(400));
        return asked;
    });
    const auto error = errorThrownBy<RoboticsError>(
        [&] { robot->waitForMovementToFinishOnAxes(true, false, false, true, 1.0); });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::abortedDuringMove);
    // Polls at 0, 0.4 and 0.8 s; at 1.2 s the limit has passed.
    EXPECT_EQ(robot->calls(), (Calls{"checkIfAxesAreMoving x homing", "checkIfAxesAreMoving x homing",
                                     "checkIfAxesAreMoving x homing"}));
}

// ---- The grid walk ----------------------------------------------------------------------------

TEST_F(RobotMoveTest, TheGridIsMeasuredRowByRowAtTheStartingHeight) {
    const Coordinate start(1000.0, 2000.0, 5000.0);
    startAt(start);
    std::vector<Coordinate> visited;
    const auto measured = mapTopographyGrid(*robot, 2000.0, 1000.0, 1000.0, 1000.0, [&] {
        visited.push_back(robot->currentCoordinate());
        return robot->currentCoordinate().coordinateWithZ(4000.0 + static_cast<double>(visited.size()));
    });
    const std::vector<Coordinate> offsets = {
        Coordinate(0.0, 0.0, 0.0),    Coordinate(1000.0, 0.0, 0.0),    Coordinate(2000.0, 0.0, 0.0),
        Coordinate(0.0, 1000.0, 0.0), Coordinate(1000.0, 1000.0, 0.0), Coordinate(2000.0, 1000.0, 0.0)};
    ASSERT_EQ(visited.size(), offsets.size());
    ASSERT_EQ(measured.size(), offsets.size());
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        EXPECT_EQ(visited[i], start + offsets[i]) << i;
        EXPECT_EQ(measured[i], (start + offsets[i]).coordinateWithZ(4001.0 + static_cast<double>(i))) << i;
    }
    EXPECT_EQ(robot->currentCoordinate(), measured.back());
    EXPECT_EQ(reported.back(), measured.back());
}

TEST_F(RobotMoveTest, TheGridIncludesBothEnds) {
    struct Row {
        double distance;
        double step;
        std::size_t points;
    };
    for (const Row& row : {Row{10000.0, 1000.0, 11}, Row{10500.0, 1000.0, 11}, Row{0.0, 1000.0, 1}}) {
        startAt(Coordinate::zero);
        const auto measured = mapTopographyGrid(*robot, row.distance, 0.0, row.step, 1.0,
                                                [&] { return robot->currentCoordinate(); });
        EXPECT_EQ(measured.size(), row.points) << row.distance;
    }
}

TEST_F(RobotMoveTest, AnInvalidGridIsRefusedBeforeMoving) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    struct Row {
        double distanceInX, distanceInY, stepInX, stepInY;
    };
    const std::vector<Row> rows = {
        {1000.0, 1000.0, 0.0, 100.0},     {1000.0, 1000.0, 100.0, -100.0},
        {1000.0, 1000.0, nan, 100.0},     {1000.0, 1000.0, 100.0, infinity},
        {-1000.0, 1000.0, 100.0, 100.0},  {1000.0, nan, 100.0, 100.0},
        {infinity, 1000.0, 100.0, 100.0}, {1e6, 1e6, 1.0, 1.0},
        {999999.0, 1.0, 1.0, 1.0},
    };
    int measurements = 0;
    for (const Row& row : rows) {
        EXPECT_THROW(mapTopographyGrid(*robot, row.distanceInX, row.distanceInY, row.stepInX, row.stepInY,
                                       [&] {
                                           ++measurements;
                                           return Coordinate::zero;
                                       }),
                     std::invalid_argument)
            << row.distanceInX << " " << row.distanceInY << " " << row.stepInX << " " << row.stepInY;
    }
    EXPECT_THROW(mapTopographyGrid(*robot, 1000.0, 1000.0, 100.0, 100.0, {}), std::invalid_argument);
    EXPECT_EQ(measurements, 0);
    EXPECT_TRUE(robot->calls().empty());
}

TEST_F(RobotMoveTest, AFailedMeasurementEndsTheGrid) {
    int measurements = 0;
    EXPECT_THROW(mapTopographyGrid(*robot, 2000.0, 1000.0, 1000.0, 1000.0,
                                   [&]() -> Coordinate {
                                       if (++measurements == 2) {
                                           throw RoboticsError(RoboticsError::Kind::abortedDuringMove);
                                       }
                                       return robot->currentCoordinate();
                                   }),
                 RoboticsError);
    EXPECT_EQ(measurements, 2);
    EXPECT_EQ(robot->currentCoordinate(), Coordinate(1000.0, 0.0, 0.0));
}

} // namespace
} // namespace Dotfield
