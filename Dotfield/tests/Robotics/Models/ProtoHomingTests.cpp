// Homing the prototype positioner in a world that starts unhomed.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/tests/Robotics/Proto/ProtoFixture.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"

namespace Dotfield::testing {
namespace {

using Kind = RoboticsError::Kind;

class ProtoHoming : public ProtoFixture {
  protected:
    ProtoHoming() {
        options.homed = false;
        // X and Y a few seconds from their home switches, Z half way down.
        options.start = Simulators::WorldPoint{1000.0, 1500.0, 45000.0};
    }
    void SetUp() override {
        ProtoFixture::SetUp();
        connect();
        controllers->clearTranscript();
    }
    // Whether the texts hold the sequence in order, one right after another.
    static bool holdsInARow(const std::vector<std::string>& texts, const std::vector<std::string>& sequence) {
        return std::search(texts.begin(), texts.end(), sequence.begin(), sequence.end()) != texts.end();
    }
    void expectHomedAtTheSwitches(const Robot::Coordinate& at) {
        EXPECT_EQ(at, (Robot::Coordinate{0.0, 0.0, 90000.0}));
        EXPECT_FALSE(world->needsHoming());
        EXPECT_FALSE(robot->needsToHome());
        for (const WorldAxis axis : {WorldAxis::x, WorldAxis::y, WorldAxis::z}) {
            EXPECT_EQ(controllers->mode(axis), 2);
            EXPECT_EQ(controllers->setting(axis, "s"), 0);
            EXPECT_EQ(controllers->counter(axis), 0);
            EXPECT_EQ(controllers->setting(axis, "b"), 200);
        }
        // The manual speeds, 100000 µm/s.
        EXPECT_EQ(controllers->setting(WorldAxis::x, "o"), 128000);
        EXPECT_EQ(controllers->setting(WorldAxis::y, "o"), 128000);
        EXPECT_EQ(controllers->setting(WorldAxis::z, "o"), 640000);
        const Simulators::WorldPoint tip = world->tipPosition();
        EXPECT_EQ(tip.x, 0.0);
        EXPECT_EQ(tip.y, 0.0);
        EXPECT_EQ(tip.z, 90000.0);
    }
};

TEST_F(ProtoHoming, ZIsReferencedAndAtItsStartBeforeXAndYMove) {
    const Robot::Coordinate at = robot->home();
    expectHomedAtTheSwitches(at);

    // The gains first, the defaults of each axis.
    const auto transcript = controllers->transcript();
    ASSERT_GE(transcript.size(), 3u);
    EXPECT_EQ(transcript[0], (Command{'1', ":CL_KP_s_Z300"}));
    EXPECT_LT(indexOf({'2', ":CL_KP_s_Z400"}), indexOf({'3', ":CL_KP_s_Z80"}));
    EXPECT_LT(indexOf({'3', ":CL_KP_s_Z80"}), indexOf({'3', "p4"}));

    const std::vector<std::string> z = textsTo('3');
    // Down onto the limit switch at 4000 µm/s, polled until it stops there,
    // then up onto the home switch, waited for, and to count 0.
    EXPECT_TRUE(holdsInARow(z, {"D0", "p4", "d0", "i50", "o25600", "A", "$"}));
    EXPECT_TRUE(holdsInARow(z, {"S", "D0", "d1", "p3", "A", "$"}));
    EXPECT_TRUE(holdsInARow(z, {"p2", "D0", "s0", "o640000"}));
    EXPECT_TRUE(holdsInARow(z, {"b200", "i50", "A"}));
    const std::size_t zStart = indexOf({'3', "s0"});
    const std::size_t xFirstRun = indexOf({'1', "p3"});
    EXPECT_LT(zStart, xFirstRun);
    EXPECT_LT(indexOf({'3', "p3"}), zStart);

    // X and Y reached their switches within the first run; then out onto
    // their limit switches at 10000 µm/s and back.
    const std::vector<std::string> x = textsTo('1');
    const std::vector<std::string> y = textsTo('2');
    EXPECT_TRUE(holdsInARow(x, {"i50", "d1", "p3", "A", "$"}));
    EXPECT_TRUE(holdsInARow(x, {"D0", "d0", "p4", "o12800", "i50", "A", "$"}));
    EXPECT_TRUE(holdsInARow(y, {"D0", "d1", "p4", "o12800", "i50", "A", "$"}));
    EXPECT_TRUE(holdsInARow(x, {"S", "D0", "d1", "i75", "p3", "A"}));
    EXPECT_TRUE(holdsInARow(y, {"d0", "i75", "p3", "A"}));
    EXPECT_EQ(std::count(x.begin(), x.end(), "S"), 1);
    EXPECT_EQ(std::count(y.begin(), y.end(), "S"), 1);
}

class ProtoHomingFarFromX : public ProtoHoming {
  protected:
    ProtoHomingFarFromX() { options.start = Simulators::WorldPoint{250000.0, 1500.0, 45000.0}; }
};

TEST_F(ProtoHomingFarFromX, AnAxisStillRunningAfterTenSecondsIsReversedAlone) {
    const Robot::Coordinate at = robot->home();
    expectHomedAtTheSwitches(at);
    const std::vector<std::string> x = textsTo('1');
    const std::vector<std::string> y = textsTo('2');
    EXPECT_TRUE(holdsInARow(x, {"p3", "A", "$"}));
    // After the ten seconds: Y, which stands on its switch, is zeroed, and X
    // runs the other way.
    const auto transcript = controllers->transcript();
    const std::vector<Command> reversal{{'2', "D0"}, {'1', "S"}, {'1', "D0"}, {'1', "d0"}, {'1', "p3"}, {'1', "A"}};
    EXPECT_NE(std::search(transcript.begin(), transcript.end(), reversal.begin(), reversal.end()),
              transcript.end());
    // Y is not reversed: its only stop is the one after its limit switch.
    EXPECT_EQ(std::count(y.begin(), y.end(), "S"), 1);
    EXPECT_EQ(std::count(x.begin(), x.end(), "S"), 2);
}

TEST_F(ProtoHoming, AnAbortDuringAReferenceRunHaltsAndPublishesThePosition) {
    std::vector<Robot::Coordinate> published;
    robot->setCoordinateUpdateObserver([&](const Robot::Coordinate& at) { published.push_back(at); });
    robot->setMovementAborted(true);
    EXPECT_EQ(errorThrownBy<RoboticsError>([&] { robot->home(); }).kind(), Kind::abortedDuringMove);
    EXPECT_FALSE(robot->movementAborted());
    EXPECT_FALSE(world->axis(WorldAxis::z).moving);
    EXPECT_TRUE(holdsInARow(textsTo('3'), {"A", "S", "ZC"}));
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(published[0], robot->currentCoordinate());
}

// Every look at it is ten seconds later.
class SteppingClock final : public Clock {
  public:
    TimePoint now() const override { return TimePoint(std::chrono::seconds(10) * ++looks_); }
    bool waitUntil(TimePoint, WakeSignal&) override { return true; }

  private:
    mutable std::atomic<int> looks_{0};
};

TEST_F(ProtoHoming, AReferenceSwitchNeverReachedIsGivenUpWithTheAxesHalted) {
    remakeRobot(std::make_shared<SteppingClock>());
    EXPECT_EQ(errorThrownBy<RoboticsError>([&] { robot->home(); }).kind(), Kind::abortedDuringMove);
    EXPECT_FALSE(world->axis(WorldAxis::z).moving);
    EXPECT_TRUE(world->needsHoming());
    const std::vector<std::string> z = textsTo('3');
    // Twelve polls of 10 s, then a stop for every axis and nothing more.
    EXPECT_EQ(std::count(z.begin(), z.end(), "$"), 12);
    const auto transcript = controllers->transcript();
    const std::vector<Command> halt{{'1', "S"}, {'2', "S"}, {'3', "S"}};
    ASSERT_GE(transcript.size(), 3u);
    EXPECT_TRUE(std::equal(halt.begin(), halt.end(), transcript.end() - 3));
}

} // namespace
} // namespace Dotfield::testing
