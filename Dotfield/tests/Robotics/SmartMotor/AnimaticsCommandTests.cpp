// The frames and the exchange, as the motors receive them over the real link.

#include <chrono>
#include <functional>
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/SmartMotor/AnimaticsCommands.hpp"
#include "Dotfield/tests/Robotics/SmartMotor/SmartMotorFixture.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Simulators::ReplyFault;

class AnimaticsCommands : public SmartMotorFixture {
  protected:
    void SetUp() override {
        SmartMotorFixture::SetUp();
        port = openPort(Bus::powerOnBaudRate);
    }
    std::shared_ptr<SerialPort> port;
};

TEST_F(AnimaticsCommands, FramesReachTheMotorsByteForByte) {
    struct Case {
        Bytes frame;
        Bytes expected;
    };
    const std::vector<Case> cases{
        {animaticsCommandBytes("RUN", MotorPosition::yMotor), {0x82, 0x52, 0x55, 0x4E, 0x20}},
        {animaticsCommandBytes("G", MotorPosition::allMotors), {0x80, 0x47, 0x20}},
        {animaticsCommandBytes("", MotorPosition::zMotor), {0x83, 0x20}},
        {animaticsCommandBytes("MD", MotorPosition::allMotors), {0x80, 0x4D, 0x44, 0x20}},
        {animaticsTimeFrame(Bytes{1, 2, 3, 4}, MotorPosition::xMotor), {0x81, 0xFB, 1, 2, 3, 4, 0x0D}},
    };
    Bytes all;
    for (const Case& c : cases) {
        EXPECT_EQ(c.frame, c.expected);
        exchangeAnimaticsFrame(c.frame, *port);
        all.insert(all.end(), c.expected.begin(), c.expected.end());
    }
    EXPECT_EQ(bus->bytesFromHost(), all);
}

TEST_F(AnimaticsCommands, APositionOfTheIIbGoesLeastSignificantByteFirst) {
    port->closeSerialPort(); // the robot opens its own link
    connect();
    const Bytes frame = animaticsPositionFrame(robot->bytesForInt32(1000), MotorPosition::xMotor);
    EXPECT_EQ(frame, (Bytes{0x81, 0xFA, 0xE8, 0x03, 0x00, 0x00, 0x0D}));
    bus->clearTranscript();
    exchangeAnimaticsFrame(frame, *robot->serialPort());
    EXPECT_EQ(bus->transcript(), (std::vector<Command>{{0, "position", 1000}}));
    EXPECT_EQ(robot->bytesForInt32(-1), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(AnimaticsCommands, AnExchangeFailingOnceSucceedsOnTheRepeat) {
    bus->queueReplyFault(ReplyFault::drop());
    EXPECT_NO_THROW(activateStoredProgramOnAnimaticsMotor(MotorPosition::xMotor, *port));
    // The frame went out twice, and the motors are still in step.
    const Bytes run{0x81, 0x52, 0x55, 0x4E, 0x20};
    Bytes twice = run;
    twice.insert(twice.end(), run.begin(), run.end());
    EXPECT_EQ(bus->bytesFromHost(), twice);
    EXPECT_NO_THROW(exchangeAnimaticsFrame(animaticsCommandBytes("G", MotorPosition::xMotor), *port));
}

TEST_F(AnimaticsCommands, RunFailingTwiceIsConverted) {
    // A short echo twice, a motor silent twice (no byte of the echo: nothing
    // answers on the line), then a link whose driver calls fail (the cable
    // pulled).
    struct Case {
        std::function<void()> spoil;
        RoboticsError::Kind kind;
    };
    const std::vector<Case> cases{
        {[&] {
             bus->queueReplyFault(ReplyFault::cutShort(2));
             bus->queueReplyFault(ReplyFault::cutShort(2));
         },
         RoboticsError::Kind::corruptedCommunications},
        {[&] { bus->queueReplyFault(ReplyFault::drop()); bus->queueReplyFault(ReplyFault::drop()); },
         RoboticsError::Kind::notConnected},
        {[&] { bus->unplug(); }, RoboticsError::Kind::notConnected},
    };
    for (const Case& c : cases) {
        c.spoil();
        try {
            activateStoredProgramOnAnimaticsMotor(MotorPosition::xMotor, *port);
            ADD_FAILURE() << "no error";
        } catch (const RoboticsError& error) {
            EXPECT_EQ(error.kind(), c.kind);
            if (c.kind == RoboticsError::Kind::notConnected) {
                EXPECT_EQ(error.axes(), std::set<MotorPosition>{MotorPosition::allMotors});
            }
        }
        // A late piece of a spoiled echo arrives before the next case.
        bus->clearFaults();
        ASSERT_TRUE(Dotfield::Testing::eventually([&] {
            const auto adapter = instrument->cabling().dualAdapter();
            return !adapter ||
                   adapter->bytesTowardsHost(Simulators::SimulatedInstrument::positionerInterface) == 0;
        }));
    }
}

TEST_F(AnimaticsCommands, ATimeItemGoesOnceToAllOrOncePerChosenMotor) {
    const Bytes data{0, 0, 0, 5};
    sendAnimaticsCommand(data, true, false, true, *port);
    sendAnimaticsCommand(data, true, true, true, *port);
    sendAnimaticsCommand(data, false, false, false, *port);
    const Bytes expected{0x81, 0xFB, 0, 0, 0, 5, 0x0D, 0x83, 0xFB, 0, 0, 0, 5, 0x0D, 0x80, 0xFB, 0, 0, 0, 5, 0x0D};
    EXPECT_EQ(bus->bytesFromHost(), expected);
}

TEST(MinimumOfOptionals, TakesOnlyThePresentValues) {
    EXPECT_EQ(minimumOfOptionals(std::nullopt, std::nullopt, std::nullopt), 0);
    EXPECT_EQ(minimumOfOptionals(7, std::nullopt, 3), 3);
    EXPECT_EQ(minimumOfOptionals(std::nullopt, 5, std::nullopt), 5);
    EXPECT_EQ(minimumOfOptionals(-2, 5, 9), -2);
}

} // namespace
} // namespace Dotfield::testing
