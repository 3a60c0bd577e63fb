// Opening the prototype's link, the controllers' set-up, the reference test,
// the connection as a whole and the closed-loop gains.

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/RobotConnection.hpp"
#include "Dotfield/tests/Robotics/Proto/ProtoFixture.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"
#include "simulators/peers/ReplyFault.hpp"

namespace Dotfield::testing {
namespace {

using Kind = RoboticsError::Kind;
using Simulators::ReplyFault;

class ProtoConnection : public ProtoFixture {};

TEST_F(ProtoConnection, TheSetUpPutsEveryControllerInPositioningModeThenSetsItUp) {
    connect();
    const std::vector<Command> expected{
        {'1', "p2"},          {'2', "p2"},          {'3', "p2"},          {'1', "g32"},  {'2', "g32"},
        {'3', "g32"},         {'1', ":CL_enable1"}, {'2', ":CL_enable1"}, {'3', ":CL_enable1"},
        {'1', "d1"},          {'2', "d0"},          {'3', "d0"},          {'1', "q0"},   {'2', "q0"},
        {'1', "i50"},         {'2', "i50"},         {'1', "u400"},        {'2', "u400"}, {'3', "u400"},
    };
    EXPECT_EQ(controllers->transcript(), expected);
    EXPECT_EQ(controllers->mode(WorldAxis::z), 2);
    EXPECT_EQ(controllers->setting(WorldAxis::y, ":CL_enable"), 1);
}

TEST_F(ProtoConnection, ControllersThatDoNotAnswerAreNamedAndNothingFollows) {
    controllers->silence(WorldAxis::x);
    controllers->silence(WorldAxis::z);
    const RoboticsError error = errorThrownBy<RoboticsError>([&] { connect(); });
    EXPECT_EQ(error.kind(), Kind::notConnected);
    EXPECT_EQ(error.axes(), (std::set<MotorPosition>{MotorPosition::xMotor, MotorPosition::zMotor}));
    EXPECT_EQ(controllers->transcript(), (std::vector<Command>{{'1', "p2"}, {'2', "p2"}, {'3', "p2"}}));
    // The port stays the robot's, to be closed by a reconnection.
    ASSERT_TRUE(robot->serialPort());
    EXPECT_FALSE(robot->serialPort()->isClosed());

    // The connection passes the axes on unchanged.
    robot->disconnectFromSerialPort();
    const RoboticsError connection =
        errorThrownBy<RoboticsError>([&] { initializeConnectionToRobot(*robot, opener()); });
    EXPECT_EQ(connection.axes(), (std::set<MotorPosition>{MotorPosition::xMotor, MotorPosition::zMotor}));
}

TEST_F(ProtoConnection, OtherSetUpAndOpeningFailuresAreAFailedStatusCheck) {
    // The first "g32" goes unanswered: the list stops there.
    for (int i = 0; i < 3; ++i) {
        controllers->queueReplyFault(ReplyFault::pass());
    }
    controllers->queueReplyFault(ReplyFault::drop());
    EXPECT_EQ(errorThrownBy<CommunicationsError>([&] { connect(); }).kind(),
              CommunicationsError::Kind::failedStatusCheck);
    EXPECT_EQ(controllers->transcript().size(), 4u);

    const Robot::SerialPortOpener missing = [](const SerialPortProperties&) -> std::shared_ptr<SerialPort> {
        throw std::runtime_error("no adapter");
    };
    EXPECT_EQ(errorThrownBy<CommunicationsError>([&] { robot->retrieveSerialPort(missing); }).kind(),
              CommunicationsError::Kind::failedStatusCheck);
    const RoboticsError connection = errorThrownBy<RoboticsError>([&] { initializeConnectionToRobot(*robot, missing); });
    EXPECT_EQ(connection.axes(), std::set<MotorPosition>{MotorPosition::allMotors});
}

TEST_F(ProtoConnection, AHomedPositionerConnectsWithItsPositionAndTheManualSpeeds) {
    options.start = Simulators::WorldPoint{1000.0, 2000.0, 30000.0};
    instrument.reset();
    SetUp();
    initializeConnectionToRobot(*robot, opener());
    const Robot::Coordinate at = robot->currentCoordinate();
    EXPECT_NEAR(at.x, 1000.0, 0.8);
    EXPECT_NEAR(at.y, 2000.0, 0.8);
    EXPECT_NEAR(at.z, 30000.0, 0.2);
    // 100000 µm/s: 128000 counts/s on X and Y, 640000 on Z.
    EXPECT_EQ(controllers->setting(WorldAxis::x, "o"), 128000);
    EXPECT_EQ(controllers->setting(WorldAxis::z, "o"), 640000);
    EXPECT_EQ(controllers->setting(WorldAxis::z, "b"), 200);
}

TEST_F(ProtoConnection, TheReferenceTestStopsAtTheFirstAxisNotReferenced) {
    options.homed = false;
    instrument.reset();
    SetUp();
    connect();
    controllers->clearTranscript();
    // X says it is referenced; Y does not, so Z is not asked.
    controllers->replaceNextReply(WorldAxis::x, "1:is_referenced+1\r");
    EXPECT_TRUE(robot->needsToHome());
    EXPECT_EQ(controllers->transcript(),
              (std::vector<Command>{{'1', ":is_referenced"}, {'2', ":is_referenced"}}));

    robot->disconnectFromSerialPort();
    EXPECT_EQ(errorThrownBy<RoboticsError>([&] { initializeConnectionToRobot(*robot, opener()); }).kind(),
              Kind::needsToHome);
    // No speeds for a positioner that must be homed first.
    EXPECT_FALSE(controllers->setting(WorldAxis::x, "o"));
}

TEST_F(ProtoConnection, TheGainsGoOutAxisByAxisThenTheBareLoopCommands) {
    connect();
    controllers->clearTranscript();
    robot->updateMotorTuningParameters();
    const std::vector<std::string> bare{":CL_KP_v_Z0",   ":CL_KP_v_N0",   ":CL_KI_v_Z0",   ":CL_KI_v_N0",
                                        ":CL_KD_v_Z0",   ":CL_KD_v_N0",   ":CL_KP_csv_Z0", ":CL_KP_csv_N0",
                                        ":CL_KI_csv_Z0", ":CL_KI_csv_N0", ":CL_KD_csv_Z0", ":CL_KD_csv_N0"};
    const auto withBare = [&](std::vector<std::string> gains) {
        gains.insert(gains.end(), bare.begin(), bare.end());
        return gains;
    };
    EXPECT_EQ(textsTo('1'), withBare({":CL_KP_s_Z300", ":CL_KI_s_Z5", ":CL_KD_s_Z300", ":CL_KP_css_Z0",
                                      ":CL_KI_css_Z0", ":CL_KD_css_Z0"}));
    EXPECT_EQ(textsTo('2'), withBare({":CL_KP_s_Z400", ":CL_KI_s_Z5", ":CL_KD_s_Z300", ":CL_KP_css_Z200",
                                      ":CL_KI_css_Z0", ":CL_KD_css_Z0"}));
    EXPECT_EQ(textsTo('3'), withBare({":CL_KP_s_Z80", ":CL_KI_s_Z10", ":CL_KD_s_Z100", ":CL_KP_css_Z0",
                                      ":CL_KI_css_Z0", ":CL_KD_css_Z0"}));
    // Every gain before the first bare command.
    EXPECT_LT(indexOf({'3', ":CL_KD_css_Z0"}), indexOf({'1', ":CL_KP_v_Z0"}));
}

TEST_F(ProtoConnection, EachGainTripleComesWholeFromOneSource) {
    // The user's tuning wins over the factory values; a triple with neither
    // keeps its defaults.
    store->setAxisValues({1, 2, 3}, "userDefinedPositionModeProportionalGain", false);
    store->setAxisValues({7, 8, 9}, "positionModeProportionalGain", true);
    store->setAxisValues({4, 5, 6}, "positionModeIntegralGain", true);
    store->setDouble(11, "cascadingPositionModeProportionalGainForX");
    const auto made = Robot::make<DropwrightProto>(store, robotClock);
    EXPECT_EQ(made->proportionalGain(), (AxisValues{1, 2, 3}));
    EXPECT_EQ(made->integralGain(), (AxisValues{4, 5, 6}));
    EXPECT_EQ(made->derivativeGain(), (AxisValues{300, 300, 100}));
    // An incomplete factory triple is no triple: the defaults stay whole.
    EXPECT_EQ(made->cascadingProportionalGain(), (AxisValues{0, 200, 0}));
}

} // namespace
} // namespace Dotfield::testing
