// The DropwrightDesktop against the Gilson controller peer: connection,
// backlash-corrected moves, position and status reads, speeds and tuning.

#include <cmath>
#include <functional>
#include <limits>
#include <set>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/RobotConnection.hpp"
#include "Dotfield/tests/Robotics/Gilson/GilsonFixture.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"

namespace Dotfield::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using RKind = RoboticsError::Kind;
using Simulators::WorldAxis;
using Texts = std::vector<std::string>;

class DropwrightDesktopTest : public GilsonFixture {};

TEST_F(DropwrightDesktopTest, ConnectingSelectsUnit20AndDisconnectingDeselects) {
    initializeConnectionToRobot(*robot, opener());
    EXPECT_EQ(controller->transcript().front(), "deselect");
    EXPECT_EQ(controller->transcript()[1], "select 20");
    // At the home switches: X and Y at 0, Z at the top, 100 mm.
    EXPECT_EQ(robot->currentCoordinate(), (VeltranePatterns::Coordinate{0.0, 0.0, 100000.0}));
    // The manual accelerations (100000) went out three times over.
    EXPECT_EQ(bufferedCommands(), (Texts{"@13=300000", "@14=300000", "@15=300000"}));

    robot->disconnectFromSerialPort();
    EXPECT_EQ(controller->bytesFromHost().back(), 0xFF);
    EXPECT_FALSE(controller->isSelected());
    EXPECT_TRUE(robot->serialPort()->isClosed());
}

TEST_F(DropwrightDesktopTest, ASelectionThatFailsTwiceLeavesTheAdapterFree) {
    controller->goSilent();
    try {
        initializeConnectionToRobot(*robot, opener());
        FAIL() << "no error";
    } catch (const RoboticsError& error) {
        EXPECT_EQ(error.kind(), RKind::notConnected);
        EXPECT_EQ(error.axes(), std::set<MotorPosition>{MotorPosition::allMotors});
    }
    // Twice selected, with a deselect between.
    EXPECT_EQ(controller->bytesFromHost(), (Bytes{0xFF, 0x94, 0xFF, 0xFF, 0x94}));
    controller->speakAgain();
    EXPECT_NO_THROW(initializeConnectionToRobot(*robot, opener()));
}

TEST_F(DropwrightDesktopTest, AFailedDeselectStillClosesTheLink) {
    connect();
    controller->unplug();
    EXPECT_THROW(robot->disconnectFromSerialPort(), CommunicationsError);
    EXPECT_TRUE(robot->serialPort()->isClosed());
    controller->plugBackIn();
    EXPECT_NO_THROW(initializeConnectionToRobot(*robot, opener()));
}

TEST_F(DropwrightDesktopTest, AZeroAnswerAtConnectionIsRecoveredFrom) {
    controller->answerSelectionsWithZero(1);
    EXPECT_NO_THROW(initializeConnectionToRobot(*robot, opener()));
    EXPECT_TRUE(controller->isSelected());
}

TEST_F(DropwrightDesktopTest, WithoutAnOpenLinkNothingIsSent) {
    const auto refused = [&](const std::function<void()>& operation) {
        try {
            operation();
        } catch (const RoboticsError& error) {
            return error.kind() == RKind::notConnected &&
                   error.axes() == std::set<MotorPosition>{MotorPosition::allMotors};
        }
        return false;
    };
    store->setDouble(42.0, DropwrightDesktop::zAxisPowerLevelKey);
    EXPECT_TRUE(refused([&] { robot->readCurrentPosition(); }));
    EXPECT_TRUE(refused([&] { robot->moveMotor(MotorPosition::xMotor, 10.0); }));
    EXPECT_TRUE(refused([&] { robot->moveXandYMotorsToPosition(10.0, 10.0); }));
    EXPECT_TRUE(refused([&] { robot->home(); }));
    EXPECT_TRUE(refused([&] { robot->setAcceleration(1000.0, MotorPosition::allMotors); }));
    EXPECT_TRUE(refused([&] { robot->updateMotorTuningParameters(); }));
    EXPECT_TRUE(refused([&] { robot->clearPositionerErrorForMotor(MotorPosition::xMotor); }));
    EXPECT_TRUE(controller->bytesFromHost().empty());
    // Nothing recorded either.
    EXPECT_EQ(robot->backlashCorrectionForLastMove(), AxisValues{});
    EXPECT_NO_THROW(robot->haltMovement());
}

TEST_F(DropwrightDesktopTest, BacklashIsAddedOnPositiveMovesAndSubtractedWhenRead) {
    store->setAxisValues({20.0, 0.0, 5.0}, DropwrightDesktop::backlashCorrectionKey, true);
    makeRobot();
    EXPECT_EQ(robot->backlashCorrection(), (AxisValues{20.0, 0.0, 5.0}));
    connect();
    world->moveAxes({{WorldAxis::x, 10000.0, 100000.0, 1e6}, {WorldAxis::y, 5000.0, 100000.0, 1e6}});
    waitForWorldToStand();
    robot->setCurrentCoordinate({10000.0, 5000.0, 100000.0});

    robot->moveMotor(MotorPosition::xMotor, 12.0);
    EXPECT_EQ(bufferedCommands().back(), "X12.020:100.000/5.000:100.000");
    EXPECT_EQ(robot->backlashCorrectionForLastMove(), (AxisValues{20.0, 0.0, 0.0}));
    EXPECT_EQ(store->axisValues(DropwrightDesktop::backlashCorrectionForLastMoveKey, false),
              (AxisValues{20.0, 0.0, 0.0}));
    waitForWorldToStand();
    EXPECT_DOUBLE_EQ(world->axis(WorldAxis::x).position, 12020.0);
    const auto position = robot->readCurrentPosition();
    EXPECT_NEAR(position.x, 12000.0, 1e-6);
    EXPECT_NEAR(position.y, 5000.0, 1e-6);

    // A restart keeps what the controller's targets contain.
    robot->disconnectFromSerialPort();
    makeRobot();
    EXPECT_EQ(robot->backlashCorrectionForLastMove(), (AxisValues{20.0, 0.0, 0.0}));
    connect();
    robot->setCurrentCoordinate({12000.0, 5000.0, 100000.0});
    robot->moveMotor(MotorPosition::xMotor, 10.0);
    EXPECT_EQ(bufferedCommands().back(), "X10.000:100.000/5.000:100.000");
    EXPECT_EQ(robot->backlashCorrectionForLastMove(), AxisValues{});

    // Z alone goes out as a Z move; up is the positive direction.
    robot->moveMotor(MotorPosition::zMotor, 99.0);
    EXPECT_EQ(bufferedCommands().back(), "Z99.000:100.000");
    waitForWorldToStand();
    robot->setCurrentCoordinate({10000.0, 5000.0, 99000.0});
    robot->moveMotor(MotorPosition::zMotor, 99.5);
    EXPECT_EQ(bufferedCommands().back(), "Z99.505:100.000");
}

TEST_F(DropwrightDesktopTest, TargetsAreLimitedAfterTheCorrectionAndTinyMovesAreNotSent) {
    store->setAxisValues({20.0, 30.0, 0.0}, DropwrightDesktop::backlashCorrectionKey, true);
    makeRobot();
    connect();
    robot->setCurrentCoordinate({10000.0, 0.0, 100000.0});
    const std::size_t sent = bufferedCommands().size();
    robot->moveMotor(MotorPosition::xMotor, 10.0005);
    EXPECT_EQ(bufferedCommands().size(), sent);
    EXPECT_EQ(robot->backlashCorrectionForLastMove(), AxisValues{});

    robot->moveMotor(MotorPosition::xMotor, 306.0);
    EXPECT_EQ(bufferedCommands().back(), "X306.000:100.000/0.000:100.000");
    robot->moveXandYMotorsToPosition(20.0, 293.0);
    EXPECT_EQ(bufferedCommands().back(), "X20.020:100.000/293.000:100.000");

    // A target that is no number is refused before anything is sent.
    const std::size_t before = controller->bytesFromHost().size();
    EXPECT_EQ(errorThrownBy<RoboticsError>([&] { robot->moveMotor(MotorPosition::xMotor, std::nan("")); }).kind(),
              RKind::abortedDuringMove);
    EXPECT_EQ(controller->bytesFromHost().size(), before);
}

TEST_F(DropwrightDesktopTest, TheXTravelDependsOnTheCableSetting) {
    EXPECT_EQ(robot->maximumMotorPosition().x, 306000.0);
    store->setBool(true, DropwrightDesktop::hasNewFirewireCableKey);
    EXPECT_EQ(robot->maximumMotorPosition().x, 387000.0);
    store->setBool(false, DropwrightDesktop::hasNewFirewireCableKey);
    EXPECT_EQ(robot->maximumMotorPosition().x, 306000.0);
    // Z runs the 53.6 mm below the home height.
    EXPECT_EQ(robot->minimumMotorPosition(), (VeltranePatterns::Coordinate{0.0, 0.0, 46400.0}));
    robot->setHomePosition(VeltranePatterns::Coordinate{0.0, 0.0, 90000.0});
    EXPECT_EQ(robot->maximumMotorPosition().z, 90000.0);
}

TEST_F(DropwrightDesktopTest, TheAxisStatusIsDecodedXFirst) {
    connect();
    struct Case {
        std::string reply;
        bool isHoming;
        std::optional<VeltranePatterns::AxisFlags> moving;
        RKind error;
    };
    const Case cases[] = {
        {"PRP", false, VeltranePatterns::AxisFlags{false, true, false}, {}},
        {"PUP", true, VeltranePatterns::AxisFlags{false, true, false}, {}},
        {"PUP", false, std::nullopt, RKind::needsToHome},
        {"PEP", false, std::nullopt, RKind::hitObstruction},
        {"PR", false, std::nullopt, RKind::corruptedCommunications},
        {"EUP", false, std::nullopt, RKind::hitObstruction},
        {"PXP", false, std::nullopt, RKind::corruptedCommunications},
    };
    for (const Case& c : cases) {
        controller->scriptImmediateReply(c.reply);
        if (c.moving) {
            const auto moving = robot->checkIfAxesAreMoving(false, false, false, c.isHoming);
            EXPECT_EQ(moving.x, c.moving->x) << c.reply;
            EXPECT_EQ(moving.y, c.moving->y) << c.reply;
            EXPECT_EQ(moving.z, c.moving->z) << c.reply;
        } else {
            EXPECT_EQ(errorThrownBy<RoboticsError>([&] { robot->checkIfAxesAreMoving(true, true, true, c.isHoming); })
                          .kind(),
                      c.error)
                << c.reply;
        }
    }
    controller->scriptImmediateReply(std::string("PPPU"));
    EXPECT_TRUE(robot->needsToHome());
    EXPECT_FALSE(robot->needsToHome());
}

TEST_F(DropwrightDesktopTest, PositionRepliesAreCheckedAndRetriedOnce) {
    connect();
    // One garbled reply is read again.
    controller->scriptImmediateReply(std::string("12.0"));
    EXPECT_EQ(robot->readCurrentPosition(), (VeltranePatterns::Coordinate{0.0, 0.0, 100000.0}));
    // Twice garbled fails the read.
    controller->scriptImmediateReply(std::string("1.0/abc"));
    controller->scriptImmediateReply(std::string("1.0/abc"));
    EXPECT_EQ(errorThrownBy<RoboticsError>([&] { robot->readCurrentPosition(); }).kind(),
              RKind::corruptedCommunications);
    controller->scriptImmediateReply(std::string("/"));
    EXPECT_EQ(errorThrownBy<CommunicationsError>([&] { robot->readRawXYPosition(); }),
              CommunicationsError::wrongByteCount(2, 1));
}

TEST_F(DropwrightDesktopTest, AccelerationsArePassedTimesThreeAndNotANumberIsRefused) {
    connect();
    robot->setAcceleration(100000.0, MotorPosition::allMotors);
    robot->setAcceleration(0.1666, MotorPosition::xMotor);
    robot->setAcceleration(0.1667, MotorPosition::yMotor);
    robot->setAcceleration(-2.5, MotorPosition::zMotor);
    EXPECT_EQ(bufferedCommands(), (Texts{"@13=300000", "@14=300000", "@15=300000", "@13=0", "@14=1", "@15=-8"}));
    EXPECT_EQ(controller->setting(15), -8);

    for (const double bad : {std::nan(""), std::numeric_limits<double>::infinity(), 1e19}) {
        EXPECT_EQ(errorThrownBy<RoboticsError>([&] { robot->setAcceleration(bad, MotorPosition::xMotor); }).kind(),
                  RKind::abortedDuringMove)
            << bad;
    }
    EXPECT_EQ(bufferedCommands().size(), 6u);
}

TEST_F(DropwrightDesktopTest, TheZPowerGoesOutOnlyForALevelBetween0And100) {
    connect();
    const std::optional<double> levels[] = {std::nullopt, 0.0, 100.0, -3.0, std::nan(""), 42.6};
    for (const auto& level : levels) {
        if (level) {
            store->setDouble(*level, DropwrightDesktop::zAxisPowerLevelKey);
        }
        controller->clearTranscript();
        robot->updateMotorTuningParameters();
        const Texts expected = level && *level == 42.6 ? Texts{"@12=2000", "@1=43"} : Texts{};
        EXPECT_EQ(bufferedCommands(), expected) << (level ? *level : -1.0);
    }
}

TEST_F(DropwrightDesktopTest, VelocitiesTravelInsideTheNextMove) {
    connect();
    robot->setCurrentCoordinate({0.0, 0.0, 100000.0});
    robot->setVelocity(50.0, MotorPosition::xMotor);
    robot->setVelocity(2500.0, MotorPosition::yMotor);
    EXPECT_TRUE(bufferedCommands().empty());
    robot->moveMotor(MotorPosition::xMotor, 1.0);
    EXPECT_EQ(bufferedCommands().back(), "X1.000:0.100/0.000:2.500");
    robot->setVelocity(3000.0, MotorPosition::allMotors);
    EXPECT_EQ(robot->currentVelocities(), (AxisValues{3000.0, 3000.0, 3000.0}));

    // Clearing errors is "e", whatever the axis; halting sends no command.
    controller->clearTranscript();
    robot->clearPositionerErrorForMotor(MotorPosition::zMotor);
    robot->haltMovement();
    EXPECT_EQ(bufferedCommands(), Texts{"e"});
    EXPECT_EQ(robot->offsetForA1WellOfPlateNumber(2), (VeltranePatterns::Coordinate{0.0, 278320.0, 0.0}));
}

} // namespace
} // namespace Dotfield::testing
