#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "Dotfield/Calibration/MotionTest/StageMovementTest.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIb.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {
namespace {

using VeltranePatterns::Coordinate;

std::shared_ptr<UserDefaults> emptyStore() {
    return std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
}

struct PositionsCase {
    const char* model;
    std::shared_ptr<Robot> robot;
    Coordinate a, b, c, d, e;
};

TEST(StageMovementTestPositionsTest, FollowTheModelsTravel) {
    const PositionsCase cases[] = {
        {"no model", Robot::make<Robot>(emptyStore()), {1000, 1000, -1000}, {0, 1000, -1000}, {1000, 0, -1000},
         {0, 0, -1000}, {1000, 1000, 0}},
        {"IIa", Robot::make<DropwrightIIa>(emptyStore()), {1000, 1000, 103000}, {311000, 1000, 103000},
         {1000, 304000, 103000}, {311000, 304000, 103000}, {1000, 1000, 0}},
        {"IIb", Robot::make<DropwrightIIb>(emptyStore()), {1000, 1000, 108250}, {357500, 1000, 108250},
         {1000, 307500, 108250}, {357500, 307500, 108250}, {1000, 1000, 0}},
    };
    for (const auto& row : cases) {
        const auto positions =
            stageMovementTestPositions(row.robot->minimumMotorPosition(), row.robot->maximumMotorPosition());
        EXPECT_EQ(positions.a, row.a) << row.model;
        EXPECT_EQ(positions.b, row.b) << row.model;
        EXPECT_EQ(positions.c, row.c) << row.model;
        EXPECT_EQ(positions.d, row.d) << row.model;
        EXPECT_EQ(positions.e, row.e) << row.model;
        EXPECT_EQ(positions['D'], row.d) << row.model;
    }
}

TEST(StageMovementTestPositionsTest, CycleVisitsTheCornersAndPlungesFourTimes) {
    EXPECT_EQ(std::string(stageMovementTestCycle.begin(), stageMovementTestCycle.end()), "CDBAEABDCAEADBCAECBDAE");
}

// A robot without model limits would be sent to z -1000: the test refuses
// before it sends anything (the base robot stops the program on any move).
TEST(StageMovementTestLoopTest, RefusesARobotWhoseLimitsDoNotHoldThePositions) {
    const auto robot = Robot::make<Robot>(emptyStore());
    const std::atomic<bool> cancel{false};
    EXPECT_THROW(performStageMovementTestLoop(*robot, cancel), StageMovementTestOutsideTravel);
    EXPECT_EQ(robot->currentCoordinate(), Coordinate::zero);
}

} // namespace
} // namespace Dotfield
