// The older motors' branch of the shared model code, on the IIa's bus.

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/tests/Robotics/SmartMotor/SmartMotorFixture.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::WorldAxis;

class DropwrightIIaCommands : public SmartMotorFixture {
  protected:
    DropwrightIIaCommands() : SmartMotorFixture("IIa") {}
    void SetUp() override {
        SmartMotorFixture::SetUp();
        connect();
        bus->clearTranscript();
    }
};

TEST_F(DropwrightIIaCommands, ConversionsCountFiveMicronsWithYReversedAndZFromTheTop) {
    EXPECT_EQ(robot->convertPositionToMotorCoordinateSpaceInX(1000.0), 200.0);
    EXPECT_EQ(robot->convertPositionToMotorCoordinateSpaceInY(1000.0), -200.0);
    EXPECT_EQ(robot->convertPositionToMotorCoordinateSpaceInZ(0.0), 20800.0);
    EXPECT_EQ(robot->maximumMotorPosition(), (Robot::Coordinate{311000.0, 304000.0, 104000.0}));
    EXPECT_EQ(robot->bytesForInt32(1000), (std::vector<std::uint8_t>{0x00, 0x00, 0x03, 0xE8}));

    robot->moveMotor(MotorPosition::xMotor, 200.0);
    robot->moveMotor(MotorPosition::yMotor, -200.0);
    robot->moveMotor(MotorPosition::zMotor, 20800.0);
    robot->waitForMovementToFinishOnAxes(true, true, true, false);
    const Robot::Coordinate at = robot->readCurrentPosition();
    EXPECT_NEAR(at.x, 1000.0, 1e-9);
    EXPECT_NEAR(at.y, 1000.0, 1e-9);
    EXPECT_NEAR(at.z, 0.0, 1e-9);
}

TEST_F(DropwrightIIaCommands, OlderMotorsTakeTheirOwnCommands) {
    robot->moveMotor(MotorPosition::xMotor, 100.5);
    robot->setVelocity(10.0, MotorPosition::xMotor);
    robot->setVelocity(100000.0, MotorPosition::xMotor);
    robot->setAcceleration(100000.0, MotorPosition::xMotor);
    robot->setAcceleration(1000.0, MotorPosition::xMotor);
    robot->readCurrentPosition();
    const std::vector<std::string> x = textsTo(0);
    EXPECT_EQ(x, (std::vector<std::string>{"P=101", "G", "V=100", "V=322120", "A=79", "A=10", "RP"}));
}

TEST_F(DropwrightIIaCommands, TheFiveByteBufferReply) {
    bus->queueBufferReply(WorldAxis::x, {0x00, 0x9F, 0x00, 0x00, 0x00});
    EXPECT_EQ(robot->availableBufferSpaceOnMotor(MotorPosition::xMotor), 31);
    bus->queueBufferReply(WorldAxis::x, {0x00, 0x12, 0x07, 0x00, 0x00});
    EXPECT_EQ(robot->availableBufferSpaceOnMotor(MotorPosition::xMotor), 7);
    bus->queueBufferReply(WorldAxis::y, {0x00, 0x40, 0x00, 0x00, 0x00});
    bool stalled = false;
    EXPECT_TRUE(consoleShows(
        [&] {
            try {
                robot->availableBufferSpaceOnMotor(MotorPosition::yMotor);
            } catch (const RoboticsError& error) {
                stalled = error.kind() == RoboticsError::Kind::corruptedCommunications;
            }
        },
        "Stalled on motor:yMotor"));
    EXPECT_TRUE(stalled);
}

} // namespace
} // namespace Dotfield::testing
