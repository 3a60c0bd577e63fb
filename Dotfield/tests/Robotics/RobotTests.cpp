#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/tests/Robotics/RecordingRobot.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"

namespace Dotfield {
namespace {

using testing::emptySettings;
using testing::RecordingModel;
using testing::RecordingRobot;
using VeltranePatterns::Coordinate;

std::shared_ptr<RecordingRobot> makeRobot(const std::shared_ptr<UserDefaults>& settings,
                                          RecordingModel model = {}) {
    return Robot::make<RecordingRobot>(settings, model);
}

// ---- Settings read at construction ------------------------------------------------

struct SafeHeightCase {
    const char* name;
    double modelDefault;
    std::optional<double> stored;
    double expected;
};

class SafePickupHeightTest : public ::testing::TestWithParam<SafeHeightCase> {};

TEST_P(SafePickupHeightTest, IsTheStoredHeightRaisedToTheModelsDefault) {
    const SafeHeightCase& row = GetParam();
    auto settings = emptySettings();
    if (row.stored) {
        settings->setDouble(*row.stored, "safePickupHeight");
    }
    auto robot = makeRobot(settings, RecordingModel{.defaultSafePickupHeight = row.modelDefault});
    EXPECT_EQ(robot->safePickupHeight(), row.expected);
    // Nothing is written back.
    const std::optional<double> stillStored = settings->doubleForKey("safePickupHeight");
    ASSERT_EQ(stillStored.has_value(), row.stored.has_value());
    if (row.stored) {
        EXPECT_TRUE(std::isnan(*row.stored) ? std::isnan(*stillStored) : *stillStored == *row.stored);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Models, SafePickupHeightTest,
    ::testing::Values(SafeHeightCase{"IIaNothingStored", 30000.0, std::nullopt, 60000.0},
                      SafeHeightCase{"DesktopNothingStored", 100000.0, std::nullopt, 100000.0},
                      SafeHeightCase{"IIaLowStoredValue", 30000.0, 10000.0, 30000.0},
                      SafeHeightCase{"IIaHighStoredValue", 30000.0, 80000.0, 80000.0},
                      SafeHeightCase{"StoredEqualToDefault", 30000.0, 30000.0, 30000.0},
                      SafeHeightCase{"DamagedStoredValue", 30000.0, std::nan(""), 60000.0}),
    [](const ::testing::TestParamInfo<SafeHeightCase>& row) { return row.param.name; });

TEST(RobotSettingsTest, StartsFromTheDefaultsWhenNothingIsStored) {
    auto robot = makeRobot(emptySettings());
    EXPECT_EQ(robot->patternPrintingVelocities(), (AxisValues{1000.0, 1000.0, 10000.0}));
    EXPECT_EQ(robot->patternPrintingAccelerations(), (AxisValues{100000.0, 100000.0, 100000.0}));
    EXPECT_EQ(robot->manualPositioningVelocities(), (AxisValues{100000.0, 100000.0, 100000.0}));
    EXPECT_EQ(robot->manualPositioningAccelerations(), (AxisValues{100000.0, 100000.0, 100000.0}));
    EXPECT_EQ(robot->patternPickupDistance(), 200.0);
    EXPECT_FALSE(robot->shouldUseSlowApproachDuringSurfaceFinding());
    EXPECT_FALSE(robot->shouldResetSavedHeightsOnDispenserDisconnection());
    EXPECT_FALSE(robot->shouldFindSurfaceAtStartOfEachPatternItem());
    EXPECT_EQ(robot->offsetFromHomePositionToLimit(), Coordinate::zero);
    EXPECT_EQ(robot->homePosition(), std::nullopt);
    EXPECT_EQ(robot->currentCoordinate(), Coordinate::zero);
    EXPECT_EQ(robot->serialPort(), nullptr);
    EXPECT_FALSE(robot->movementAborted());
    EXPECT_EQ(robot->lengthOfArcSegmentInMicrons(), 50.0);
    EXPECT_EQ(robot->serialDispatchQueue().label(), "com.veltrane.Dotfield.roboticsCommunicationQueue");
}

TEST(RobotSettingsTest, ReadsEveryStoredSettingInItsForm) {
    auto settings = emptySettings();
    settings->setBool(true, "shouldSlowSurfaceApproach");
    settings->setBool(true, "shouldResetSavedPositionHeightsOnNewDispenserConnection");
    settings->setBool(true, "isActiveCorrectionForSurfaceHeightEnabled");
    settings->setDouble(1.0, "offsetFromHomePositionToLimitInX");
    settings->setDouble(2.0, "offsetFromHomePositionToLimitInY");
    settings->setDouble(3.0, "offsetFromHomePositionToLimitInZ");
    settings->setCoordinate(Coordinate(10.0, 20.0, 30.0), "storedHomeLocation");
    settings->setDouble(350.0, "patternPickupDistance");
    settings->setAxisValues({1.0, 2.0, 3.0}, "manualMovementVelocity", true);
    settings->setAxisValues({4.0, 5.0, 6.0}, "manualMovementAcceleration", true);
    settings->setAxisValues({7.0, 8.0, 9.0}, "automatedMovementVelocity", true);
    settings->setAxisValues({10.0, 11.0, 12.0}, "automatedMovementAcceleration", true);
    // The dictionary form is another entry, not read for the speeds.
    settings->setAxisValues({99.0, 99.0, 99.0}, "manualMovementVelocity", false);

    auto robot = makeRobot(settings);
    EXPECT_TRUE(robot->shouldUseSlowApproachDuringSurfaceFinding());
    EXPECT_TRUE(robot->shouldResetSavedHeightsOnDispenserDisconnection());
    EXPECT_TRUE(robot->shouldFindSurfaceAtStartOfEachPatternItem());
    EXPECT_EQ(robot->offsetFromHomePositionToLimit(), Coordinate(1.0, 2.0, 3.0));
    EXPECT_EQ(robot->homePosition(), Coordinate(10.0, 20.0, 30.0));
    EXPECT_EQ(robot->patternPickupDistance(), 350.0);
    EXPECT_EQ(robot->manualPositioningVelocities(), (AxisValues{1.0, 2.0, 3.0}));
    EXPECT_EQ(robot->manualPositioningAccelerations(), (AxisValues{4.0, 5.0, 6.0}));
    EXPECT_EQ(robot->patternPrintingVelocities(), (AxisValues{7.0, 8.0, 9.0}));
    EXPECT_EQ(robot->patternPrintingAccelerations(), (AxisValues{10.0, 11.0, 12.0}));
}

// ---- Model constants and travel limits ------------------------------------------------

TEST(RobotConstantsTest, BaseValues) {
    auto robot = Robot::make<Robot>(emptySettings());
    EXPECT_EQ(robot->defaultSafePickupHeight(), 20000.0);
    EXPECT_EQ(robot->rangeOfMotion(), Coordinate::zero);
    EXPECT_EQ(robot->minimumMotorPosition(), Coordinate::zero);
    EXPECT_EQ(robot->maximumMotorPosition(), Coordinate::zero);
    EXPECT_EQ(robot->surfaceApproachStepSize(), 10.0);
    EXPECT_EQ(robot->slowSurfaceApproachStepSize(), 5.0);
    EXPECT_EQ(robot->surfaceRetractionStepSize(), 5.0);
    EXPECT_EQ(robot->motorScaleFactor(), 1.0);
    EXPECT_EQ(robot->safePickupHeight(), 60000.0);
}

TEST(RobotConstantsTest, HomeToLimitOffsetScalesTheZRangeAndNegatesTheOffsets) {
    auto settings = emptySettings();
    settings->setDouble(100.0, "offsetFromHomePositionToLimitInX");
    settings->setDouble(200.0, "offsetFromHomePositionToLimitInY");
    settings->setDouble(300.0, "offsetFromHomePositionToLimitInZ");
    auto base = Robot::make<Robot>(settings);
    EXPECT_EQ(base->homeToLimitOffsetInMicrons(), Coordinate(-100.0, -200.0, -300.0));
    auto model = makeRobot(settings, RecordingModel{.rangeOfMotion = Coordinate(62200.0, 60800.0, 20800.0),
                                                    .motorScaleFactor = 5.0});
    EXPECT_EQ(model->homeToLimitOffsetInMicrons(), Coordinate(-100.0, -200.0, 104000.0 - 300.0));
}

TEST(ClampedDistanceTest, LimitsATargetToTheTravelAlsoOnAReversedAxis) {
    // X converts to −microns: its travel 0…300000 µm is −300000…0 in motor coordinates.
    auto robot = makeRobot(emptySettings(), RecordingModel{.reversedX = true});
    struct Row {
        double target;
        MotorPosition motor;
        double expected;
    };
    const std::vector<Row> rows = {
        {-400000.0, MotorPosition::xMotor, -300000.0}, {50.0, MotorPosition::xMotor, 0.0},
        {-1000.0, MotorPosition::xMotor, -1000.0},     {-5.0, MotorPosition::yMotor, 0.0},
        {400000.0, MotorPosition::yMotor, 300000.0},   {1000.0, MotorPosition::yMotor, 1000.0},
        {90000.0, MotorPosition::zMotor, 90000.0},     {90000.5, MotorPosition::zMotor, 90000.0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(robot->clampedDistance(row.target, row.motor), row.expected)
            << row.target << " on " << toString(row.motor);
    }
}

TEST(ClampedDistanceDeathTest, AllMotorsStopsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto robot = makeRobot(emptySettings());
    EXPECT_DEATH(robot->clampedDistance(1.0, MotorPosition::allMotors),
                 "Must input a valid motor into the distance clamping calculation");
}

TEST(CoordinateLimitsTest, BoundsAreInclusive) {
    auto robot = makeRobot(emptySettings(), RecordingModel{.minimum = Coordinate(0.0, 0.0, -100.0)});
    EXPECT_TRUE(robot->isCoordinateWithinLimits(Coordinate(0.0, 0.0, -100.0)));
    EXPECT_TRUE(robot->isCoordinateWithinLimits(Coordinate(300000.0, 300000.0, 90000.0)));
    for (const Coordinate& outside :
         {Coordinate(-0.1, 0.0, 0.0), Coordinate(0.0, -0.1, 0.0), Coordinate(0.0, 0.0, -100.1),
          Coordinate(300000.1, 0.0, 0.0), Coordinate(0.0, 300000.1, 0.0), Coordinate(0.0, 0.0, 90000.1),
          Coordinate(std::nan(""), 0.0, 0.0)}) {
        EXPECT_FALSE(robot->isCoordinateWithinLimits(outside)) << outside.preciseDescription();
    }
    auto base = Robot::make<Robot>(emptySettings());
    EXPECT_TRUE(base->isCoordinateWithinLimits(Coordinate::zero));
    EXPECT_FALSE(base->isCoordinateWithinLimits(Coordinate(0.0, 0.0, 1.0)));
}

// ---- Movement parameter sets --------------------------------------------------------------

TEST(MovementParametersTest, SetsVelocitiesThenAccelerationsInAxisOrder) {
    auto settings = emptySettings();
    settings->setAxisValues({1.0, 2.0, 3.0}, "automatedMovementVelocity", true);
    settings->setAxisValues({4.0, 5.0, 6.0}, "automatedMovementAcceleration", true);
    auto robot = makeRobot(settings);
    robot->usePatternPrintingMovementParameters();
    robot->useManualPositioningMovementParameters();
    EXPECT_EQ(robot->calls(),
              (std::vector<std::string>{
                  "setVelocity x 1.0", "setVelocity y 2.0", "setVelocity z 3.0", "setAcceleration x 4.0",
                  "setAcceleration y 5.0", "setAcceleration z 6.0", "setVelocity x 100000.0",
                  "setVelocity y 100000.0", "setVelocity z 100000.0", "setAcceleration x 100000.0",
                  "setAcceleration y 100000.0", "setAcceleration z 100000.0"}));
}

TEST(MovementParametersTest, AFailingYVelocityLeavesXSetAndSendsNothingAfterIt) {
    auto robot = makeRobot(emptySettings());
    robot->failOn("setVelocity y");
    const auto error = errorThrownBy<RoboticsError>([&] { robot->useManualPositioningMovementParameters(); });
    EXPECT_EQ(error.kind(), RoboticsError::Kind::corruptedCommunications);
    EXPECT_EQ(robot->calls(), (std::vector<std::string>{"setVelocity x 100000.0", "setVelocity y 100000.0"}));
}

// ---- Operations the models must supply -----------------------------------------------------

TEST(RobotStubDeathTest, OperationsAModelMustSupplyStopWithTheirNames) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto robot = Robot::make<Robot>(emptySettings());
    // One of each message form, and the moves' name that differs from the operation's.
    const std::vector<std::pair<std::function<void()>, const char*>> stubs = {
        {[&] { robot->retrieveSerialPort({}); }, "retrieveSerialPort needs to be overridden"},
        {[&] { robot->moveMotor(MotorPosition::zMotor, 1.0); },
         "moveXMotorToPosition needs to be overridden"},
        {[&] { robot->haltMovement(); }, "haltMovement not implemented"},
        {[&] { robot->convertPositionToMotorCoordinateSpaceInZ(1.0); },
         "convertPositionToMotorCoordinateSpaceInZ needs to be overridden"},
        {[&] { robot->offsetForA1WellOfPlateNumber(1); }, "offsetForA1WellOfPlateNumber not overridden"},
    };
    for (const auto& [call, message] : stubs) {
        EXPECT_DEATH(call(), message);
    }
}

} // namespace
} // namespace Dotfield
