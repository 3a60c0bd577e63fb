// Homing, moves, obstructions and aborts of the IIb on the world.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIb.hpp"
#include "Dotfield/tests/Robotics/SmartMotor/SmartMotorFixture.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::WorldAxis;

class DropwrightIIbMotion : public SmartMotorFixture {
  protected:
    DropwrightIIbMotion() {
        options.homed = false;
        options.start = Simulators::WorldPoint{50000.0, 40000.0, 0.0};
    }
    void SetUp() override {
        SmartMotorFixture::SetUp();
        connect();
    }
    void homeAndStore() {
        robot->home();
        robot->readAndStoreCurrentPosition();
        bus->clearTranscript();
    }
    // Where in the transcript the first command matching it is, or its size.
    std::size_t indexOf(const Command& command) const {
        const auto transcript = bus->transcript();
        return static_cast<std::size_t>(std::find(transcript.begin(), transcript.end(), command) -
                                        transcript.begin());
    }
};

TEST_F(DropwrightIIbMotion, HomingRunsZToItsSwitchBeforeXAndY) {
    EXPECT_TRUE(robot->needsToHome());
    const Robot::Coordinate at = robot->home();
    EXPECT_FALSE(robot->needsToHome());

    // Z was polled until it stood before the programs of X and Y started.
    const auto transcript = bus->transcript();
    const std::size_t runZ = indexOf({2, "RUN", {}});
    const std::size_t runX = indexOf({0, "RUN", {}});
    ASSERT_LT(runZ, runX);
    ASSERT_EQ(transcript[runX + 1], (Command{1, "RUN", {}}));
    EXPECT_EQ(transcript[runX - 1], (Command{2, "RW", {}}));
    // Then the tuning and the manual speeds.
    EXPECT_LT(runX, indexOf({0, "KP", 16000}));
    EXPECT_LT(indexOf({2, "MDS", {}}), indexOf({0, "VT", 327680}));
    EXPECT_EQ(sleeper->pauses.front(), std::chrono::milliseconds(500));

    EXPECT_NEAR(at.x, 0.0, 2.5);
    EXPECT_NEAR(at.y, 0.0, 2.5);
    EXPECT_NEAR(at.z, 109250.0, 2.5);
    EXPECT_NEAR(world->tipPosition().z, 109250.0, 1e-6);
}

TEST_F(DropwrightIIbMotion, AMoveEndsInTheWorldWhereThePositionReadSaysItIs) {
    homeAndStore();
    const Robot::Coordinate target{10000.0, 20000.0, 5000.0};
    robot->moveToPosition(target);
    const Simulators::WorldPoint tip = world->tipPosition();
    EXPECT_NEAR(tip.x, target.x, 2.5);
    EXPECT_NEAR(tip.y, target.y, 2.5);
    EXPECT_NEAR(tip.z, target.z, 2.5);
    const Robot::Coordinate read = robot->readCurrentPosition();
    EXPECT_NEAR(read.x, tip.x, 2.5);
    EXPECT_NEAR(read.y, tip.y, 2.5);
    EXPECT_NEAR(read.z, tip.z, 2.5);
    // The target went out as counts: X 4000, Y −8000, Z 2000 − 43700.
    EXPECT_LT(indexOf({0, "PT", 4000}), bus->transcript().size());
    EXPECT_LT(indexOf({1, "PT", -8000}), bus->transcript().size());
    EXPECT_LT(indexOf({2, "PT", -41700}), bus->transcript().size());
}

TEST_F(DropwrightIIbMotion, AnObstructionGetsOneRecoveryThenEveryAxisIsHalted) {
    homeAndStore();
    world->placeObstruction(WorldAxis::y, 5000.0, 6000.0);
    try {
        robot->moveToPosition(Robot::Coordinate{robot->currentCoordinate().x, 10000.0, robot->currentCoordinate().z});
        FAIL() << "no error";
    } catch (const RoboticsError& error) {
        EXPECT_EQ(error.kind(), RoboticsError::Kind::hitObstruction);
    }
    const std::vector<std::string> y = textsTo(1);
    const auto recovery = std::find(y.begin(), y.end(), "ZS");
    ASSERT_NE(recovery, y.end());
    EXPECT_EQ(*(recovery + 1), "RW");
    EXPECT_EQ(*(recovery + 2), "S");
    EXPECT_EQ(std::count(y.begin(), y.end(), "ZS"), 2); // the recovery and the halt's clearing
    for (const int motor : {0, 2}) {
        const std::vector<std::string> texts = textsTo(motor);
        EXPECT_NE(std::find(texts.begin(), texts.end(), "S"), texts.end());
    }
    EXPECT_LE(world->tipPosition().y, 5000.0);
    EXPECT_FALSE(world->axis(WorldAxis::y).moving);
}

TEST_F(DropwrightIIbMotion, AnAbortDuringHomingHaltsAndClearsTheFlag) {
    robot->setMovementAborted(true);
    try {
        robot->home();
        FAIL() << "no error";
    } catch (const RoboticsError& error) {
        EXPECT_EQ(error.kind(), RoboticsError::Kind::abortedDuringMove);
    }
    EXPECT_FALSE(robot->movementAborted());
    EXPECT_FALSE(world->axis(WorldAxis::z).moving);
    EXPECT_TRUE(world->needsHoming());
    const std::vector<std::string> z = textsTo(2);
    EXPECT_NE(std::find(z.begin(), z.end(), "S"), z.end());
}

// Every look at it is ten seconds later: a wait that counts time runs out
// after a dozen polls.
class SteppingClock final : public Clock {
  public:
    TimePoint now() const override { return TimePoint(std::chrono::seconds(10) * ++looks_); }
    bool waitUntil(TimePoint, WakeSignal&) override { return true; }

  private:
    mutable std::atomic<int> looks_{0};
};

TEST_F(DropwrightIIbMotion, AHomingWaitPastItsLimitHaltsTheAxes) {
    const auto link = robot->serialPort();
    robot = Robot::make<DropwrightIIb>(store, std::make_shared<SteppingClock>(), sleeper);
    robot->setSerialPort(link);
    try {
        robot->home();
        FAIL() << "no error";
    } catch (const RoboticsError& error) {
        EXPECT_EQ(error.kind(), RoboticsError::Kind::abortedDuringMove);
    }
    EXPECT_FALSE(world->axis(WorldAxis::z).moving);
    const std::vector<std::string> z = textsTo(2);
    EXPECT_NE(std::find(z.begin(), z.end(), "S"), z.end());
    EXPECT_TRUE(textsTo(0).back() == "ZS"); // the halt ran to its end
}

} // namespace
} // namespace Dotfield::testing
