// The IIb's speeds, tuning, buffer query and replies, and the values it
// refuses to send.

#include <cmath>
#include <functional>
#include <limits>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIb.hpp"
#include "Dotfield/tests/Robotics/SmartMotor/SmartMotorFixture.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::ReplyFault;
using Simulators::WorldAxis;
using Bytes = std::vector<std::uint8_t>;

class DropwrightIIbCommands : public SmartMotorFixture {
  protected:
    void SetUp() override {
        SmartMotorFixture::SetUp();
        connect();
        bus->clearTranscript();
    }
};

RoboticsError::Kind errorKind(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const RoboticsError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "no RoboticsError";
    return RoboticsError::Kind::internalTestFailure;
}

TEST_F(DropwrightIIbCommands, SpeedsGoInTheMotorsUnitsWithTheirMinimums) {
    robot->setVelocity(20.0, MotorPosition::xMotor);
    robot->setVelocity(1000.0, MotorPosition::xMotor);
    robot->setAcceleration(10000.0, MotorPosition::xMotor);
    robot->setAcceleration(100000.0, MotorPosition::xMotor);
    EXPECT_EQ(textsTo(0), (std::vector<std::string>{"VT=100", "VT=3277", "AT=10", "AT=41"}));
}

TEST_F(DropwrightIIbCommands, TheTuningUpdateSendsTheFilterThenTheIntegralLimitInStepsThenMDS) {
    robot->updateMotorTuningParameters();
    EXPECT_EQ(textsTo(0), (std::vector<std::string>{"ZS", "KP=16000", "KI=2000", "KD=15000", "KV=30000", "KA=0", "F",
                                                    "KL=50", "KL=200", "KL=5000", "MDS"}));
    EXPECT_EQ(bus->gain(WorldAxis::z, "KL"), 10000);
    const auto transcript = bus->transcript();
    ASSERT_GE(transcript.size(), 3u);
    EXPECT_EQ(std::vector<Command>(transcript.end() - 3, transcript.end()),
              (std::vector<Command>{{0, "MDS", {}}, {1, "MDS", {}}, {2, "MDS", {}}}));
    // A pause before each of the three integral-limit steps of each axis.
    EXPECT_EQ(sleeper->pauses, std::vector<Clock::Duration>(9, std::chrono::milliseconds(500)));
}

TEST_F(DropwrightIIbCommands, GainsComeFromTheUserKeyThenTheFactoryKeyThenTheDefault) {
    store->setAxisValues({1.0, 2.0, 3.0}, "userDefinedProportionalGain", false);
    store->setAxisValues({9.0, 9.0, 9.0}, "proportionalGain", true);
    store->setAxisValues({4.0, 5.0, 6.0}, "integralGain", true);
    const auto fresh = Robot::make<DropwrightIIb>(store, systemClock(), sleeper);
    EXPECT_EQ(fresh->proportionalGain().y, 2.0);
    EXPECT_EQ(fresh->integralGain().z, 6.0);
    EXPECT_EQ(fresh->derivativeGain().x, 15000.0);
}

TEST_F(DropwrightIIbCommands, AFailingTuningSendsNoMDS) {
    bus->unplug();
    EXPECT_EQ(errorKind([&] { robot->updateMotorTuningParameters(); }), RoboticsError::Kind::notConnected);
    bus->plugBackIn();
    for (const Command& command : bus->transcript()) {
        EXPECT_NE(command.command, "MDS");
    }
}

TEST_F(DropwrightIIbCommands, TheBufferQueryReadsFreePlacesAndTheContourStatus) {
    bus->queueBufferReply(WorldAxis::x, {0xF9, 0x3C, 0x00, 0, 0, 0});
    EXPECT_EQ(robot->availableBufferSpaceOnMotor(MotorPosition::xMotor), 45);

    bus->queueBufferReply(WorldAxis::x, {0xF9, 0x0C, 0x08, 0, 0, 0});
    std::uint8_t places = 0;
    EXPECT_TRUE(consoleShows([&] { places = robot->availableBufferSpaceOnMotor(MotorPosition::xMotor); },
                             "Invalid position delta"));
    EXPECT_EQ(places, 12);

    bus->queueBufferReply(WorldAxis::x, {0xF9, 0x0C, 0x20, 0, 0, 0});
    EXPECT_EQ(errorKind([&] { robot->availableBufferSpaceOnMotor(MotorPosition::xMotor); }),
              RoboticsError::Kind::corruptedCommunications);

    bus->clearTranscript();
    bus->queueBufferReply(WorldAxis::y, {0x00, 0x05, 0x00, 0, 0, 0});
    EXPECT_EQ(robot->availableBufferSpaceOnMotor(MotorPosition::yMotor), 45);
    EXPECT_EQ(textsTo(1), (std::vector<std::string>{"Q", "Q"}));
}

TEST_F(DropwrightIIbCommands, AReplyWithoutAnIntegerIsCorruptedNotZero) {
    // The echo of "RW " or "RPA " to a motor comes first; the reply's first
    // digit is turned into a letter.
    struct Case {
        std::size_t digitIndex;
        std::function<void()> operation;
    };
    const std::vector<Case> cases{
        {4, [&] { robot->checkIfAxesAreMoving(true, false, false, false); }},
        {5, [&] { robot->readCurrentPosition(); }},
    };
    for (const Case& c : cases) {
        bus->queueReplyFault(ReplyFault::corrupt(c.digitIndex, 0x70));
        EXPECT_NO_THROW(c.operation()); // tried again as a whole
        bus->queueReplyFault(ReplyFault::corrupt(c.digitIndex, 0x70));
        bus->queueReplyFault(ReplyFault::corrupt(c.digitIndex, 0x70));
        EXPECT_EQ(errorKind(c.operation), RoboticsError::Kind::corruptedCommunications);
        bus->clearFaults();
    }
}

TEST_F(DropwrightIIbCommands, ValuesThatDoNotFit32BitsAreRefusedBeforeAnythingIsSent) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::function<void()>> operations{
        [&] { robot->moveMotor(MotorPosition::xMotor, nan); },
        [&] { robot->setVelocity(1e12, MotorPosition::yMotor); },
        [&] { robot->setAcceleration(std::numeric_limits<double>::infinity(), MotorPosition::zMotor); },
        [&] { robot->setProportionalGain(3e9, MotorPosition::xMotor); },
        [&] {
            robot->tuningValues().setAxis(3, MotorPosition::zMotor, nan);
            robot->updateMotorTuningParameters();
        },
    };
    for (const auto& operation : operations) {
        EXPECT_EQ(errorKind(operation), RoboticsError::Kind::abortedDuringMove);
    }
    EXPECT_TRUE(bus->transcript().empty());
}

} // namespace
} // namespace Dotfield::testing
