// The DropwrightDesktop's waits against the moving world: lines with their
// backlash take-up, homing, and an abort the controller cannot obey at once.

#include <algorithm>
#include <atomic>
#include <chrono>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/RobotConnection.hpp"
#include "Dotfield/tests/Robotics/Gilson/GilsonFixture.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::WorldAxis;
using Texts = std::vector<std::string>;
using VeltranePatterns::Coordinate;

class DropwrightDesktopMotion : public GilsonFixture {
  protected:
    // The index of the first transcript entry at or after `from` that starts so.
    std::size_t indexOf(const std::string& prefix, std::size_t from = 0) const {
        const auto transcript = controller->transcript();
        for (std::size_t i = from; i < transcript.size(); ++i) {
            if (transcript[i].starts_with(prefix)) {
                return i;
            }
        }
        return transcript.size();
    }
};

TEST_F(DropwrightDesktopMotion, ALineOfTwoAxesTakesUpTheirBacklashFirst) {
    store->setAxisValues({20.0, 10.0, 0.0}, DropwrightDesktop::backlashCorrectionKey, true);
    makeRobot();
    initializeConnectionToRobot(*robot, opener());
    controller->clearTranscript();

    robot->drawLineToCoordinate({1000.0, 1000.0, 100000.0}, nullptr, std::nullopt, std::nullopt);
    const auto transcript = controller->transcript();
    const std::size_t takeUp = indexOf("buffered X0.020:100.000/0.010:100.000");
    const std::size_t line = indexOf("buffered X1.020:", takeUp + 1);
    ASSERT_LT(takeUp, transcript.size());
    ASSERT_LT(line, transcript.size());
    // The take-up was waited for before the line went out.
    EXPECT_LT(indexOf("immediate M", takeUp), line);
    EXPECT_EQ(robot->currentCoordinate(), (Coordinate{1000.0, 1000.0, 100000.0}));
    waitForWorldToStand();
    EXPECT_NEAR(world->axis(WorldAxis::x).position, 1020.0, 1e-6);
    EXPECT_NEAR(world->axis(WorldAxis::y).position, 1010.0, 1e-6);
}

TEST_F(DropwrightDesktopMotion, ALineOfOneAxisHasNoTakeUp) {
    initializeConnectionToRobot(*robot, opener());
    controller->clearTranscript();
    robot->drawLineToCoordinate({0.0, 0.0, 90000.0}, nullptr, std::nullopt, std::nullopt);
    const Texts commands = bufferedCommands();
    ASSERT_FALSE(commands.empty());
    EXPECT_TRUE(commands.front().starts_with("Z90.000:")) << commands.front();
    EXPECT_EQ(std::count_if(commands.begin(), commands.end(), [](const auto& c) { return c.starts_with("Z"); }), 1);
    EXPECT_EQ(std::count_if(commands.begin(), commands.end(), [](const auto& c) { return c.starts_with("X"); }), 0);

    // No difference: nothing drawn at all.
    controller->clearTranscript();
    robot->drawLineToCoordinate(robot->currentCoordinate(), nullptr, 500.0, std::nullopt);
    EXPECT_TRUE(controller->transcript().empty());
}

// A controller fresh from power-on, its axes away from the home switches.
class DropwrightDesktopHoming : public DropwrightDesktopMotion {
  protected:
    DropwrightDesktopHoming() {
        options.homed = false;
        options.start = Simulators::WorldPoint{50000.0, 40000.0, 66400.0};
    }
};

TEST_F(DropwrightDesktopHoming, HomingAFreshControllerZeroesTheCorrections) {
    store->setAxisValues({20.0, 10.0, 5.0}, DropwrightDesktop::backlashCorrectionForLastMoveKey, false);
    makeRobot();

    EXPECT_EQ(errorThrownBy<RoboticsError>([&] { initializeConnectionToRobot(*robot, opener()); }).kind(),
              RoboticsError::Kind::needsToHome);
    const Coordinate home = robot->home();
    EXPECT_FALSE(robot->needsToHome());
    EXPECT_EQ(robot->backlashCorrectionForLastMove(), AxisValues{});
    EXPECT_EQ(store->axisValues(DropwrightDesktop::backlashCorrectionForLastMoveKey, false), AxisValues{});
    EXPECT_EQ(home, (Coordinate{0.0, 0.0, 100000.0}));
    EXPECT_LT(indexOf("buffered H"), indexOf("buffered @13="));
}

// A clock that moves ten seconds on every reading, so a wait's time limit
// passes after a few polls.
class LeapingClock final : public Clock {
  public:
    TimePoint now() const override { return TimePoint{} + std::chrono::seconds(10) * ++readings_; }
    bool waitUntil(TimePoint, WakeSignal&) override { return true; }

  private:
    mutable std::atomic<long> readings_{0};
};

TEST_F(DropwrightDesktopMotion, WaitsForAxesThatNeverStandGiveUpAfter120Seconds) {
    robot = Robot::make<DropwrightDesktop>(store, std::make_shared<LeapingClock>(), pauses);
    initializeConnectionToRobot(*robot, opener());
    // The controller keeps reporting the Y axis running.
    for (int i = 0; i < 40; ++i) {
        controller->scriptImmediateReply(std::string("PRP"));
    }
    controller->clearTranscript();
    EXPECT_EQ(errorThrownBy<RoboticsError>([&] { robot->home(); }).kind(), RoboticsError::Kind::abortedDuringMove);
    const auto transcript = controller->transcript();
    const auto polls = std::count(transcript.begin(), transcript.end(), "immediate M");
    EXPECT_GE(polls, 10);
    EXPECT_LE(polls, 14);

    // The halt waits just as long, and reports nothing.
    controller->clearTranscript();
    EXPECT_TRUE(consoleShows([&] { robot->haltMovement(); }, "The axes still moved when the halt gave up waiting"));
    const auto haltTranscript = controller->transcript();
    EXPECT_LE(std::count(haltTranscript.begin(), haltTranscript.end(), "immediate M"), 14);
}

} // namespace
} // namespace Dotfield::testing
