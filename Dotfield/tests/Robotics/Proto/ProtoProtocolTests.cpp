// Frames, value encodings and reply parsing of the prototype's controllers,
// through the link to the simulated controllers.

#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/Proto/ProtoCommands.hpp"
#include "Dotfield/tests/Robotics/Proto/ProtoFixture.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"
#include "simulators/peers/ReplyFault.hpp"

namespace Dotfield::testing {
namespace {

using Kind = RoboticsError::Kind;

std::string asText(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

class ProtoProtocol : public ProtoFixture {};

TEST_F(ProtoProtocol, FramesReachTheControllersAsHashMotorTextAndCarriageReturn) {
    const auto port = openPort();
    Proto::sendCommand("ZC", MotorPosition::allMotors, *port);
    Proto::sendCommand("ZC", MotorPosition::yMotor, *port);
    Proto::sendCommand("s1200", MotorPosition::zMotor, *port);
    EXPECT_EQ(asText(controllers->bytesFromHost()), "#*ZC\r#2ZC\r#3s1200\r");
    EXPECT_EQ(asText(Proto::commandBytes("s1200", MotorPosition::zMotor)), "#3s1200\r");
}

TEST_F(ProtoProtocol, SpeedsAndRampsAreSentInCounts) {
    connect();
    controllers->clearTranscript();
    struct Case {
        std::function<void()> call;
        char motor;
        std::string text;
    };
    const Case cases[] = {
        {[&] { robot->setVelocity(4000.0, MotorPosition::zMotor); }, '3', "o25600"},
        {[&] { robot->setVelocity(10000.0, MotorPosition::xMotor); }, '1', "o12800"},
        // The broadcast takes the X/Y scale.
        {[&] { robot->setVelocity(10000.0, MotorPosition::allMotors); }, '*', "o12800"},
        {[&] { robot->setAcceleration(10.0, MotorPosition::xMotor); }, '1', "b14994"},
        {[&] { robot->setAcceleration(50.0, MotorPosition::yMotor); }, '2', "b1571"},
        // Steeper than the steepest ramp: the floor of 200.
        {[&] { robot->setAcceleration(1000.0, MotorPosition::xMotor); }, '1', "b200"},
        // Z's counts are five times finer.
        {[&] { robot->setAcceleration(10.0, MotorPosition::zMotor); }, '3', "b1571"},
        {[&] { robot->setProportionalGain(299.5, MotorPosition::yMotor); }, '2', ":CL_KP_s_Z300"},
        {[&] { robot->setCascadingDerivativeGain(-2.5, MotorPosition::zMotor); }, '3', ":CL_KD_css_Z-3"},
    };
    for (const Case& c : cases) {
        c.call();
        EXPECT_EQ(textsTo(c.motor).back(), c.text);
    }
    // The controllers took them: 10000 µm/s on X is 12800 counts/s.
    EXPECT_EQ(controllers->setting(WorldAxis::x, "o"), 12800);
}

TEST_F(ProtoProtocol, ValuesOutsideTheIntegersAreRefusedBeforeAnythingIsSent) {
    connect();
    const auto before = controllers->bytesFromHost().size();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::function<void()> calls[] = {
        [&] { robot->setVelocity(nan, MotorPosition::xMotor); },
        [&] { robot->setVelocity(1e19, MotorPosition::xMotor); },
        // −11.7 counts/s² on X would divide the ramp by zero.
        [&] { robot->setAcceleration(-9.140625, MotorPosition::xMotor); },
        [&] { robot->setAcceleration(inf, MotorPosition::zMotor); },
        [&] { robot->setIntegralGain(-1e300, MotorPosition::yMotor); },
        [&] { robot->moveMotor(MotorPosition::xMotor, nan); },
        [&] { robot->moveXandYMotorsToPosition(0.0, nan); },
        [&] {
            robot->tuningValues().setAxis(2, MotorPosition::zMotor, inf);
            robot->updateMotorTuningParameters();
        },
    };
    for (const auto& call : calls) {
        EXPECT_EQ(errorThrownBy<RoboticsError>(call).kind(), Kind::abortedDuringMove);
    }
    EXPECT_EQ(controllers->bytesFromHost().size(), before);
}

TEST_F(ProtoProtocol, WithoutALinkEveryOperationIsNotConnectedOnAllMotors) {
    const std::function<void()> calls[] = {
        [&] { robot->moveMotor(MotorPosition::zMotor, 100.0); },
        [&] { robot->haltMovement(); },
        [&] { robot->readCurrentPosition(); },
        [&] { robot->checkIfAxesAreMoving(true, false, false, false); },
        [&] { robot->clearPositionerErrorForMotor(MotorPosition::yMotor); },
        [&] { robot->needsToHome(); },
        [&] { robot->setVelocity(1000.0, MotorPosition::xMotor); },
        [&] { robot->home(); },
    };
    for (const auto& call : calls) {
        const RoboticsError error = errorThrownBy<RoboticsError>(call);
        EXPECT_EQ(error.kind(), Kind::notConnected);
        EXPECT_EQ(error.axes(), std::set<MotorPosition>{MotorPosition::allMotors});
    }
    EXPECT_TRUE(controllers->bytesFromHost().empty());
}

TEST_F(ProtoProtocol, PositionRepliesAreTheNumberAfterTheEcho) {
    connect();
    const auto port = robot->serialPort();
    Proto::sendCommand("D-2048", MotorPosition::xMotor, *port);
    EXPECT_EQ(Proto::commandResponse("ZC", MotorPosition::xMotor, 0, true, *port), "1ZC-2048");
    EXPECT_EQ(robot->readRawCurrentPosition().x, -2048.0);

    for (const std::string reply : {"1ZC\r", "1ZC12a\r", "1ZCnan\r", "\r"}) {
        controllers->replaceNextReply(WorldAxis::x, reply);
        EXPECT_EQ(errorThrownBy<RoboticsError>([&] { robot->readRawCurrentPosition(); }).kind(),
                  Kind::corruptedCommunications)
            << reply;
    }
}

TEST_F(ProtoProtocol, StatusRepliesSayWhetherTheAxisMoves) {
    connect();
    struct Case {
        std::string reply;
        bool moving;
    };
    for (const Case& c : {Case{"1$: 162\r", true}, Case{"1$: 160\r", true}, Case{"1$: 161\r", false},
                          Case{"1$: 0  \r", false}}) {
        controllers->replaceNextReply(WorldAxis::x, c.reply);
        EXPECT_EQ(robot->checkIfAxesAreMoving(true, false, false, false).x, c.moving) << c.reply;
    }
    // Axes not asked are not asked.
    controllers->clearTranscript();
    EXPECT_FALSE(robot->checkIfAxesAreMoving(false, false, true, false).y);
    EXPECT_TRUE(textsTo('1').empty());
    EXPECT_EQ(textsTo('3'), std::vector<std::string>{"$"});
}

TEST_F(ProtoProtocol, AShortStatusReadIsSentOnceMore) {
    connect();
    controllers->clearTranscript();
    controllers->queueReplyFault(Simulators::ReplyFault::cutShort(6));
    EXPECT_FALSE(robot->checkIfAxesAreMoving(false, true, false, false).y);
    EXPECT_EQ(textsTo('2'), (std::vector<std::string>{"$", "$"}));

    // Twice short: the check fails.
    controllers->queueReplyFault(Simulators::ReplyFault::cutShort(6));
    controllers->queueReplyFault(Simulators::ReplyFault::cutShort(6));
    EXPECT_EQ(errorThrownBy<RoboticsError>([&] { robot->checkIfAxesAreMoving(false, true, false, false); }).kind(),
              Kind::corruptedCommunications);
}

TEST_F(ProtoProtocol, AStatusWithoutANumberIsNotAStandingAxis) {
    connect();
    // Eight bytes each: not UTF-8, and no number after the echo.
    for (const std::string& reply : {std::string("1$: \xff\xfe\xfd\r"), std::string("1$: ab \r")}) {
        controllers->clearTranscript();
        controllers->replaceNextReply(WorldAxis::x, reply);
        EXPECT_EQ(errorThrownBy<RoboticsError>([&] { robot->checkIfAxesAreMoving(true, false, false, false); }).kind(),
                  Kind::corruptedCommunications);
        // A whole reply is not asked for again.
        EXPECT_EQ(textsTo('1'), std::vector<std::string>{"$"});
    }
}

TEST(ProtoReplyText, BytesThatAreNotUTF8GiveTheEmptyText) {
    const std::vector<std::uint8_t> cases[] = {{0x31, 0xFF}, {0xC0, 0x80}, {0xED, 0xA0, 0x80}, {0xE2, 0x82}};
    for (const auto& bytes : cases) {
        EXPECT_EQ(Proto::decodedText(bytes), "");
    }
    const std::vector<std::uint8_t> euro{0x31, 0xE2, 0x82, 0xAC};
    EXPECT_EQ(Proto::decodedText(euro), "1\xE2\x82\xAC");
}

} // namespace
} // namespace Dotfield::testing
