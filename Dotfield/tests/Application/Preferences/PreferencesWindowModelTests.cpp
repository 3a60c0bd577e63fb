// The preferences window's model without its widgets: what each accepted
// speed, distance, height and switch writes into the robot and its settings
// and sends to the motors, what is refused, where a failed command goes, the
// robot's readiness, and the tuning values' factory set.

#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Application/Preferences/PreferencesWindowModel.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Models/DropwrightDesktop.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield::testing {
namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// A robot whose motor commands are recorded as text ("setVelocity y 2500")
// and fail with corruptedCommunications while `failing` is set.
class CommandRecordingRobot final : public Robot {
  public:
    static constexpr double defaultSafeHeight = 30000.0;

    CommandRecordingRobot(ConstructionKey key, std::shared_ptr<UserDefaults> userDefaults)
        : Robot(key, std::move(userDefaults)) {}

    double defaultSafePickupHeight() const override { return defaultSafeHeight; }
    void setVelocity(double velocity, MotorPosition motor) override { record("setVelocity", velocity, motor); }
    void setAcceleration(double acceleration, MotorPosition motor) override {
        record("setAcceleration", acceleration, motor);
    }

    std::vector<std::string> commands() const {
        std::lock_guard lock(mutex_);
        return commands_;
    }
    std::atomic<bool> failing{false};

  private:
    void record(const char* command, double value, MotorPosition motor) {
        if (failing) {
            throw RoboticsError(RoboticsError::Kind::corruptedCommunications);
        }
        std::lock_guard lock(mutex_);
        commands_.push_back(std::string(command) + " " + axisLetter(motor) + " " + Zovudidova::formatDouble(value));
    }

    mutable std::mutex mutex_;
    std::vector<std::string> commands_;
};

class PreferencesWindowModelTest : public ::testing::Test {
  protected:
    // Waits until the robot's queue has run what was queued so far and the
    // main thread has run what that posted.
    void waitForRobotQueue() {
        bool drained = false;
        robot->serialDispatchQueue().async([&] { MainQueue::main().async([&] { drained = true; }); });
        ASSERT_TRUE(mainThread.pump().runUntil([&] { return drained; }, Testing::eventuallyLimit));
    }
    PreferencesWindowModel::ErrorHandler collectErrors() {
        return [this](std::exception_ptr error) {
            EXPECT_TRUE(MainQueue::main().isCurrent());
            errors.push_back(error);
        };
    }

    ScopedMainThreadPump mainThread;
    std::shared_ptr<UserDefaults> store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    std::shared_ptr<CommandRecordingRobot> robot = Robot::make<CommandRecordingRobot>(store);
    PreferencesWindowModel model{robot};
    std::vector<std::exception_ptr> errors;
};

TEST_F(PreferencesWindowModelTest, AnAcceptedSpeedStoresItsRowsWholeTripleAndOnlyManualRowsReachTheMotor) {
    struct Case {
        SpeedRow row;
        const char* key;
        AxisValues (Robot::*inForce)() const;
        AxisValues expected;
        const char* sent;
    };
    const Case cases[] = {
        {SpeedRow::manualVelocity, "manualMovementVelocity", &Robot::manualPositioningVelocities,
         {100000, 2500, 100000}, "setVelocity Y 2500.0"},
        {SpeedRow::manualAcceleration, "manualMovementAcceleration", &Robot::manualPositioningAccelerations,
         {100000, 2500, 100000}, "setAcceleration Y 2500.0"},
        {SpeedRow::printingVelocity, "automatedMovementVelocity", &Robot::patternPrintingVelocities,
         {1000, 2500, 10000}, nullptr},
        {SpeedRow::printingAcceleration, "automatedMovementAcceleration", &Robot::patternPrintingAccelerations,
         {100000, 2500, 100000}, nullptr},
    };
    for (const Case& entry : cases) {
        const auto before = robot->commands().size();
        ASSERT_TRUE(model.setSpeed(entry.row, MotorPosition::yMotor, 2500, collectErrors())) << entry.key;
        waitForRobotQueue();
        EXPECT_EQ(store->axisValues(entry.key, true), entry.expected) << entry.key;
        EXPECT_EQ((robot.get()->*entry.inForce)(), entry.expected) << entry.key;
        EXPECT_EQ(model.speed(entry.row, MotorPosition::yMotor), 2500.0) << entry.key;
        const auto commands = robot->commands();
        ASSERT_EQ(commands.size(), before + (entry.sent ? 1 : 0)) << entry.key;
        if (entry.sent) {
            EXPECT_EQ(commands.back(), entry.sent);
        }
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(PreferencesWindowModelTest, RefusedValuesChangeNothing) {
    for (const double speed : {0.0, -5.0, notANumber, infinity, -infinity}) {
        EXPECT_FALSE(model.setSpeed(SpeedRow::manualVelocity, MotorPosition::xMotor, speed, collectErrors()))
            << speed;
    }
    for (const double distance : {-1.0, notANumber, infinity}) {
        EXPECT_FALSE(model.setPatternPickupDistance(distance)) << distance;
    }
    for (const double height : {notANumber, infinity, -infinity}) {
        EXPECT_EQ(model.setSafePickupHeight(height), std::nullopt) << height;
    }
    waitForRobotQueue();
    for (const char* key : {"manualMovementVelocityForX", "patternPickupDistance", "safePickupHeight"}) {
        EXPECT_FALSE(store->object(key).has_value()) << key;
    }
    EXPECT_EQ(model.speed(SpeedRow::manualVelocity, MotorPosition::xMotor), 100000.0);
    EXPECT_EQ(model.patternPickupDistance(), 200.0);
    EXPECT_TRUE(robot->commands().empty());
}

TEST_F(PreferencesWindowModelTest, AFailedMotorCommandReachesTheHandlerOnceOnTheMainThreadAndTheValueStays) {
    robot->failing = true;
    ASSERT_TRUE(model.setSpeed(SpeedRow::manualAcceleration, MotorPosition::zMotor, 3000, collectErrors()));
    waitForRobotQueue();
    ASSERT_EQ(errors.size(), 1U);
    EXPECT_THROW(std::rethrow_exception(errors.front()), RoboticsError);
    EXPECT_EQ(robot->manualPositioningAccelerations().z, 3000.0);
    EXPECT_EQ(store->doubleForKey("manualMovementAccelerationForZ"), 3000.0);
}

TEST_F(PreferencesWindowModelTest, SafetyValuesGoIntoTheRobotAndItsSettings) {
    EXPECT_TRUE(model.setPatternPickupDistance(0.0));
    EXPECT_EQ(store->doubleForKey("patternPickupDistance"), 0.0);
    EXPECT_TRUE(model.setPatternPickupDistance(350.5));
    EXPECT_EQ(robot->patternPickupDistance(), 350.5);
    EXPECT_EQ(store->doubleForKey("patternPickupDistance"), 350.5);

    // A height below the model's default is raised to it; the position is the last known one.
    struct Case {
        double height;
        double stored;
    };
    for (const Case entry : {Case{5000, CommandRecordingRobot::defaultSafeHeight}, Case{45000.5, 45000.5}}) {
        EXPECT_EQ(model.setSafePickupHeight(entry.height), entry.stored) << entry.height;
        EXPECT_EQ(robot->safePickupHeight(), entry.stored);
        EXPECT_EQ(store->doubleForKey("safePickupHeight"), entry.stored);
        robot->setCurrentCoordinate({1000, 2000, entry.height});
        EXPECT_EQ(model.useCurrentPositionForSafePickupHeight(), entry.stored) << entry.height;
    }
    EXPECT_EQ(model.safePickupHeight(), 45000.5);

    model.setShouldUseSlowApproachDuringSurfaceFinding(true);
    EXPECT_TRUE(robot->shouldUseSlowApproachDuringSurfaceFinding());
    EXPECT_EQ(store->boolForKey("shouldSlowSurfaceApproach"), true);
    model.setShouldResetSavedHeightsOnDispenserDisconnection(true);
    model.setShouldResetSavedHeightsOnDispenserDisconnection(false);
    EXPECT_FALSE(model.shouldResetSavedHeightsOnDispenserDisconnection());
    EXPECT_EQ(store->boolForKey("shouldResetSavedPositionHeightsOnNewDispenserConnection"), false);
    EXPECT_TRUE(robot->commands().empty()) << "safety values are not sent";
}

TEST_F(PreferencesWindowModelTest, ReadinessFollowsTheRobotsQueue) {
    std::vector<bool> readiness;
    model.observeReadiness([&readiness](bool ready) { readiness.push_back(ready); });
    ASSERT_TRUE(mainThread.pump().runUntil([&] { return !readiness.empty() && readiness.back(); },
                                           Testing::eventuallyLimit));
    readiness.clear();
    ASSERT_TRUE(model.setSpeed(SpeedRow::printingVelocity, MotorPosition::xMotor, 1500, collectErrors()));
    waitForRobotQueue();
    EXPECT_EQ(readiness, (std::vector<bool>{false, true}));
}

TEST(PreferencesWindowModelTuning, StampingMakesTheCurrentValuesTheOnesARestoreBrings) {
    ScopedMainThreadPump mainThread;
    const auto store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    PreferencesWindowModel model(Robot::make<DropwrightIIa>(store));
    TuningValuesModel& tuning = model.tuning();
    ASSERT_TRUE(tuning.hasFactorySet());
    tuning.setAxis(0, MotorPosition::yMotor, 18000);
    EXPECT_EQ(store->axisValues("userDefinedProportionalGain", false), (AxisValues{16000, 18000, 14000}));

    // Without a stamped set a restore goes back to the built-in values.
    tuning.restoreFactorySet();
    EXPECT_EQ(tuning.value(0), (AxisValues{16000, 15000, 14000}));
    EXPECT_EQ(store->axisValues("userDefinedProportionalGain", false), (AxisValues{16000, 15000, 14000}));

    tuning.setAxis(0, MotorPosition::yMotor, 18000);
    tuning.stampFactorySet();
    EXPECT_EQ(store->axisValues("proportionalGain", true), (AxisValues{16000, 18000, 14000}));
    tuning.setAxis(0, MotorPosition::yMotor, 17000);
    tuning.restoreFactorySet();
    EXPECT_EQ(tuning.value(0), (AxisValues{16000, 18000, 14000}));
    EXPECT_EQ(store->axisValues("userDefinedProportionalGain", false), (AxisValues{16000, 18000, 14000}));
}

TEST(PreferencesWindowModelTuning, TheDesktopsBacklashHasNoFactorySet) {
    ScopedMainThreadPump mainThread;
    const auto store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    PreferencesWindowModel model(Robot::make<DropwrightDesktop>(store));
    TuningValuesModel& tuning = model.tuning();
    EXPECT_EQ(tuning.pane(), TuningPane::backlash);
    EXPECT_FALSE(tuning.hasFactorySet());
    tuning.setAxis(0, MotorPosition::xMotor, 12);
    tuning.restoreFactorySet();
    tuning.stampFactorySet();
    EXPECT_EQ(tuning.value(0), (AxisValues{12, 0, 0}));
    EXPECT_EQ(store->axisValues("backlashCorrection", true), (AxisValues{12, 0, 0}));
}

} // namespace
} // namespace Dotfield::testing
