// Setting up the link to the motors: the switch from 9600 to 38400 baud,
// motors left in contour mode, and failures that must not keep the adapter.

#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/tests/Robotics/SmartMotor/SmartMotorFixture.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::WorldAxis;

class DropwrightIIbConnection : public SmartMotorFixture {};

TEST_F(DropwrightIIbConnection, FreshMotorsAreSwitchedTo38400AndAskedForTheirMode) {
    connect();
    EXPECT_EQ(bus->transcript(), (std::vector<Command>{{0, "Rh", {}},
                                                       {3, "BAUD38400", {}},
                                                       {0, "RMODE", {}},
                                                       {1, "RMODE", {}},
                                                       {2, "RMODE", {}}}));
    EXPECT_EQ(bus->expectedLine().baudRate, 38400u);
    EXPECT_EQ(bus->noiseByteCount(), 0u);
}

TEST_F(DropwrightIIbConnection, MotorsAlreadyAt38400ConnectAsWell) {
    connect();
    robot->disconnectFromSerialPort();
    bus->clearTranscript();
    connect();
    // "Rh" at 9600 reached them as noise; the set-up went on at 38400.
    EXPECT_GT(bus->noiseByteCount(), 0u);
    EXPECT_EQ(bus->transcript(),
              (std::vector<Command>{{0, "RMODE", {}}, {1, "RMODE", {}}, {2, "RMODE", {}}}));
}

TEST_F(DropwrightIIbConnection, AMotorInContourModeIsReturnedToPositionMode) {
    bus->setMode(WorldAxis::x, Bus::contourMode);
    EXPECT_TRUE(consoleShows([&] { connect(); }, "Stuck in contouring mode in X"));
    const std::vector<std::string> x = textsTo(0);
    EXPECT_EQ(std::vector<std::string>(x.end() - 2, x.end()), (std::vector<std::string>{"RMODE", "MP"}));
    EXPECT_EQ(bus->mode(WorldAxis::x), Bus::positionMode);
    EXPECT_TRUE(textsTo(1) == std::vector<std::string>{"RMODE"});
}

TEST_F(DropwrightIIbConnection, ASilentMotorFailsTheSetUpAndTheAdapterOpensAgainAfterwards) {
    bus->goSilent();
    try {
        connect();
        FAIL() << "no error";
    } catch (const CommunicationsError& error) {
        EXPECT_EQ(error.kind(), CommunicationsError::Kind::failedStatusCheck);
    }
    bus->speakAgain();
    EXPECT_NO_THROW(connect());
}

TEST_F(DropwrightIIbConnection, WithoutAnOpenLinkNothingIsSent) {
    const auto refused = [&](const std::function<void()>& operation) {
        try {
            operation();
        } catch (const RoboticsError& error) {
            return error.kind() == RoboticsError::Kind::notConnected &&
                   error.axes() == std::set<MotorPosition>{MotorPosition::allMotors};
        }
        return false;
    };
    EXPECT_TRUE(refused([&] { robot->readCurrentPosition(); }));
    connect();
    robot->disconnectFromSerialPort();
    bus->clearTranscript();
    EXPECT_TRUE(refused([&] { robot->moveMotor(MotorPosition::xMotor, 10.0); }));
    EXPECT_TRUE(refused([&] { robot->home(); }));
    EXPECT_TRUE(refused([&] { robot->availableBufferSpaceOnMotor(MotorPosition::xMotor); }));
    EXPECT_TRUE(bus->transcript().empty());
}

} // namespace
} // namespace Dotfield::testing
