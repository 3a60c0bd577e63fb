// The manual controls without a window: which step entries are taken, where
// the safe-height action goes, and the queued homing operation, on a small
// scripted robot.

#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Application/ManualControls/JogTable.hpp"
#include "Dotfield/Application/ManualControls/ManualRobotOperations.hpp"
#include "Dotfield/Application/ManualControls/SafePickupHeight.hpp"
#include "Dotfield/Application/ManualControls/StepSizes.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield::testing {
namespace {

using VeltranePatterns::Coordinate;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

TEST(ManualControlsStepSizes, OnlyPositiveFiniteEntriesAreTaken) {
    const std::pair<const char*, std::optional<double>> entries[] = {
        {"250", 250.0}, {" 400000 ", 400000.0}, {"0.5", 0.5}, {"1e3", 1000.0},
        {"0", std::nullopt}, {"-5", std::nullopt}, {"", std::nullopt}, {"  ", std::nullopt},
        {"abc", std::nullopt}, {"2,5", std::nullopt}, {"nan", std::nullopt}, {"inf", std::nullopt},
        {"1e400", std::nullopt}, {"12abc", std::nullopt},
    };
    for (const auto& [text, step] : entries) {
        EXPECT_EQ(acceptedStepSize(std::string_view(text)), step) << '"' << text << '"';
    }
}

TEST(ManualControlsStepSizes, AStoredStepThatCouldNotHaveBeenEnteredGivesTheDefault) {
    UserDefaults store{UserDefaults::CustomDictionary{}};
    EXPECT_EQ(storedStepSize(store, smallStepSizeKey, defaultSmallStepSize), 100.0);
    EXPECT_EQ(storedStepSize(store, largeStepSizeKey, defaultLargeStepSize), 1000.0);
    for (const double stored : {0.0, -3.0, nan, inf}) {
        store.setDouble(stored, smallStepSizeKey);
        EXPECT_EQ(storedStepSize(store, smallStepSizeKey, defaultSmallStepSize), 100.0) << stored;
    }
    store.setDouble(250.0, smallStepSizeKey);
    EXPECT_EQ(storedStepSize(store, smallStepSizeKey, defaultSmallStepSize), 250.0);
}

TEST(ManualControlsSafeHeight, LiftsToTheCeilingAndNeverLowers) {
    struct Case {
        double z;
        double maximumZ;
        std::optional<double> safeHeight;
        std::optional<double> expectedZ;
    };
    const Case cases[] = {
        {5000, 109250, 60000, 60000},        // below the safe height: lifted to it
        {60000, 109250, 60000, 60000},       // at it: stays
        {80000, 109250, 60000, 80000},       // above it: not lowered
        {5000, 50000, 60000, 49000},         // the top of the travel less 1000 is lower
        {49500, 50000, 60000, 49500},        // already above that ceiling
        {5000, 109250, std::nullopt, std::nullopt},
        {5000, 109250, nan, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto target = safePickupHeightTarget({10, 20, c.z}, c.maximumZ, c.safeHeight);
        ASSERT_EQ(target.has_value(), c.expectedZ.has_value()) << c.z;
        if (target) {
            EXPECT_EQ(*target, (Coordinate{10, 20, *c.expectedZ})) << c.z;
        }
    }
}

// A robot whose controller answers at once: moves arrive where they were sent,
// and the homing question and homing are scripted. It records the moves and on
// which thread the homing question came.
class ScriptedRobot final : public Robot {
  public:
    ScriptedRobot(ConstructionKey key, std::shared_ptr<UserDefaults> userDefaults)
        : Robot(key, std::move(userDefaults)) {}

    Coordinate rangeOfMotion() const override { return {300000, 300000, 89000}; }
    Coordinate maximumMotorPosition() const override { return {300000, 300000, 90000}; }
    void moveMotor(MotorPosition motor, double to) override {
        record(motor == MotorPosition::zMotor ? "Z " + std::to_string(static_cast<long>(to)) : "motor");
    }
    void moveXandYMotorsToPosition(double x, double y) override {
        record("XY " + std::to_string(static_cast<long>(x)) + " " + std::to_string(static_cast<long>(y)));
    }
    AxisFlags checkIfAxesAreMoving(bool, bool, bool, bool) override { return {false, false, false}; }
    Coordinate readCurrentPosition() override { return currentCoordinate(); }
    void clearPositionerErrorForMotor(MotorPosition) override { record("clear"); }
    bool needsToHome() override {
        askedOnRobotQueue = serialDispatchQueue().isCurrent();
        if (homingQuestionFails) {
            throw RoboticsError(RoboticsError::Kind::notConnected);
        }
        return needsHoming;
    }
    Coordinate home() override {
        record("home");
        return homeFound;
    }
    double convertPositionToMotorCoordinateSpaceInX(double p) override { return p; }
    double convertPositionToMotorCoordinateSpaceInY(double p) override { return p; }
    double convertPositionToMotorCoordinateSpaceInZ(double p) override { return p; }

    std::vector<std::string> moves() const {
        std::lock_guard lock(mutex_);
        return moves_;
    }

    bool needsHoming = false;
    bool homingQuestionFails = false;
    Coordinate homeFound{0, 0, 89000};
    std::atomic<bool> askedOnRobotQueue{false};

  private:
    void record(std::string move) {
        std::lock_guard lock(mutex_);
        moves_.push_back(std::move(move));
    }
    mutable std::mutex mutex_;
    std::vector<std::string> moves_;
};

class ManualHoming : public ::testing::Test {
  protected:
    void SetUp() override {
        robot->setCurrentCoordinate({50000, 40000, 5000});
        robot->setCoordinateUpdateObserver([this](const Coordinate& c) {
            std::lock_guard lock(mutex);
            reported.push_back(c);
        });
    }
    // Queues the operation and waits until the robot reports its end.
    void homeIfNeeded() {
        bool ended = false;
        robot->addObserverForMovementCompletion([&ended](bool moving) { ended = !moving; });
        queueHomeIfNeeded(robot, [this](std::exception_ptr e) { errors.push_back(e); });
        ASSERT_TRUE(mainThread.pump().runUntil([&] { return ended; }, Dotfield::Testing::eventuallyLimit));
    }

    ScopedMainThreadPump mainThread;
    std::shared_ptr<UserDefaults> store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    std::shared_ptr<ScriptedRobot> robot = Robot::make<ScriptedRobot>(store);
    std::vector<std::exception_ptr> errors;
    std::mutex mutex;
    std::vector<Coordinate> reported;
};

TEST_F(ManualHoming, APositionerThatNeedsHomingIsHomedOnTheRobotQueueAndItsHomeStored) {
    robot->needsHoming = true;
    homeIfNeeded();
    EXPECT_TRUE(robot->askedOnRobotQueue);
    EXPECT_EQ(robot->moves(), std::vector<std::string>{"home"});
    EXPECT_EQ(robot->homePosition(), robot->homeFound);
    EXPECT_EQ(robot->currentCoordinate(), robot->homeFound);
    EXPECT_EQ(store->coordinate(storedHomeLocationKey), robot->homeFound);
    EXPECT_EQ(reported, std::vector<Coordinate>{robot->homeFound});
    EXPECT_TRUE(errors.empty());
}

TEST_F(ManualHoming, AHomedPositionerTravelsHomeOverTheSafeHeight) {
    // The known home, else the model's default home target (0, 0, 89000 here:
    // above the safe height, so the dispenser rises straight to it).
    const std::pair<std::optional<Coordinate>, std::vector<std::string>> cases[] = {
        {Coordinate{2000, 3000, 8000}, {"Z 60000", "XY 2000 3000", "Z 8000"}},
        {std::nullopt, {"Z 89000", "XY 0 0"}},
    };
    for (const auto& [knownHome, moves] : cases) {
        auto fresh = Robot::make<ScriptedRobot>(store);
        robot = fresh;
        robot->setCurrentCoordinate({50000, 40000, 5000});
        robot->setHomePosition(knownHome);
        robot->setSafePickupHeight(60000);
        homeIfNeeded();
        EXPECT_TRUE(robot->askedOnRobotQueue);
        EXPECT_EQ(robot->moves(), moves);
        EXPECT_FALSE(store->coordinate(storedHomeLocationKey).has_value());
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(ManualHoming, AFailedHomingQuestionGoesToTheErrorHandlerAndNothingMoves) {
    robot->homingQuestionFails = true;
    homeIfNeeded();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_THROW(std::rethrow_exception(errors.front()), RoboticsError);
    EXPECT_TRUE(robot->moves().empty());
    EXPECT_EQ(robot->currentCoordinate(), (Coordinate{50000, 40000, 5000}));
}

} // namespace
} // namespace Dotfield::testing
