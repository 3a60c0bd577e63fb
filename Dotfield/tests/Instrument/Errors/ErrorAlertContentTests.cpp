#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/Errors/HumiditySensorError.hpp"
#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/Errors/SerialPortConnectionError.hpp"

namespace Dotfield {
namespace {

const std::string checkBox = "Check to make sure that the control electronics box is connected to the "
                             "computer and is turned on.  When "
                             "ready, click OK to retry the connection.";
const std::string restartAll = "Try turning off the positioner and supporting electronics and closing out of "
                               "Dotfield, then restarting the "
                               "positioner and electronics, followed by restarting Dotfield.";

struct AlertCase {
    std::string name;
    std::function<ErrorAlertContent()> content;
    ErrorAlertContent expected;
};

template <typename Error> std::function<ErrorAlertContent()> contentOf(Error error) {
    return [error] { return error.presentableDescription(); };
}

std::vector<AlertCase> alertCases() {
    using SP = SerialPortConnectionError::Kind;
    using E = ElectronicsError::Kind;
    using R = RelayError::Kind;
    using H = HumiditySensorError::Kind;
    using RB = RoboticsError::Kind;
    const auto ok = std::nullopt;
    return {
        {"deviceMissing",
         contentOf(SerialPortConnectionError(SP::deviceMissing)),
         {"OK", "Cancel", "The software was unable to connect to the control electronics.", checkBox}},
        {"connectionToDeviceFailed",
         contentOf(SerialPortConnectionError(SP::connectionToDeviceFailed)),
         {"OK", "Cancel", "The software was unable to connect to the control electronics.",
          "Dotfield was unable to connect to the electronics. Make sure that another instance of Dotfield is "
          "not "
          "running. Please make sure that your user account is allowed to open the USB serial adapter (a "
          "udev "
          "rule for the adapter's USB vendor id 0403 grants this). When ready, click OK to retry the "
          "connection."}},
        {"settingTheSettingsFailed",
         contentOf(SerialPortConnectionError(SP::settingTheSettingsFailed)),
         {"OK", ok, "A write error occurred when communicating with the electronics.", checkBox}},
        {"electronicsDisconnected",
         contentOf(ElectronicsError(E::electronicsDisconnected)),
         {"OK", "Cancel", "The connection to the control electronics was lost.", checkBox}},
        {"dispenserDisconnectedMidOperation",
         contentOf(ElectronicsError(E::dispenserDisconnectedMidOperation)),
         {"OK", "Cancel", "Dispenser disconnected mid-operation.",
          "Please reconnect the dispenser and click OK to resume the interrupted operation."}},
        {"electronicsNoise",
         contentOf(ElectronicsError(E::unrecoverableCommunicationNoise)),
         {"OK", "Cancel", "Communication noise has interrupted operations.",
          "A high amount of communication noise has interrupted normal operation. Check to make sure the "
          "electronics and RJ-11 cables are firmly connected, and that there aren't sources of strong EM "
          "noise "
          "nearby. Click OK to attempt recovery."}},
        {"abortedByUser",
         contentOf(ElectronicsError(E::abortedByUser)),
         {"OK", ok, "Operation aborted manually.",
          "The operation was manually aborted. Click OK to resume normal operations."}},
        {"relayDisconnected",
         contentOf(RelayError(R::electronicsDisconnected)),
         {"OK", "Cancel", "Relay connection lost.",
          "The connection to the USB-controlled relay has been lost. Check the connection between the "
          "computer "
          "and the relay and click OK to attempt reconnection."}},
        {"relayNoise",
         contentOf(RelayError(R::unrecoverableCommunicationNoise)),
         {"OK", "Cancel", "Relay communication disrupted.",
          "The communication to the relay has become corrupted. Verify that relay is properly connected to "
          "the "
          "computer and that there are no sources of EM interference in the area. Click OK to attempt "
          "reconnection."}},
        {"relayDidNotSwitch",
         contentOf(RelayError(R::relayDidNotSwitch)),
         {"OK", "Cancel", "Relay did not switch properly.",
          "The relay did not switch to the correct position. Verify that relay is properly connected to the "
          "computer and that there are no sources of EM interference in the area. Click OK to attempt "
          "reconnection."}},
        {"sensorBusy",
         contentOf(HumiditySensorError(H::sensorBusy)),
         {"OK", "Cancel", "Humidity sensor busy during reading.",
          "The humidity sensor timed out during a reading. This may be the result of a conflict with other "
          "devices. If on Mac OS X 10.7 (Lion) or higher, make sure the humidity sensor is connected to a "
          "separate USB hub and not directly to the computer. Click OK to continue."}},
        {"readingFailed",
         contentOf(HumiditySensorError(H::readingFailed)),
         {"OK", "Cancel", "Humidity sensor reading failed.",
          "Communication has failed between the computer and the humidity sensor. Please check to make sure "
          "the "
          "connections are secure to the humidity sensor and click OK to reestablish communication."}},
        {"sensorDisconnected",
         contentOf(HumiditySensorError(H::sensorDisconnected)),
         {"OK", ok, "Humidity sensor disconnected.",
          "The humidity sensor has been disconnected. Reconnect the cables for the humidity sensor and click "
          "OK "
          "to attempt to reconnect."}},
        {"hitObstruction",
         contentOf(RoboticsError(RB::hitObstruction)),
         {"Home", "Cancel", "The positioner has hit a physical limit or become obstructed.",
          "To clear the error, the positioner will need to be re-homed.  Clear the working area and click on "
          "Home "
          "when ready."}},
        {"needsToHome",
         contentOf(RoboticsError(RB::needsToHome)),
         {"Home", "Cancel", "The positioner needs to be homed.",
          "Please clear the area to ensure that the positioner can safely return to the home position and "
          "click "
          "Home when ready."}},
        {"corruptedCommunications",
         contentOf(RoboticsError(RB::corruptedCommunications)),
         {"OK", "Cancel", "The connection to the robotics has been disrupted.", restartAll}},
        {"abortedDuringMove",
         contentOf(RoboticsError(RB::abortedDuringMove)),
         {"OK", "Cancel", "The movement of the positioner was halted.",
          "Check to make sure that the system is in a safe position before moving again."}},
    };
}

TEST(ErrorAlertContentTest, EveryCaseHasItsButtonsTitleAndRecoveryText) {
    for (const AlertCase& alertCase : alertCases()) {
        SCOPED_TRACE(alertCase.name);
        EXPECT_EQ(alertCase.content(), alertCase.expected);
    }
}

std::string axesTitle(const std::string& phrase) {
    return "The connection to the " + phrase + " of the robot has been lost.";
}

std::string axesText(const std::string& phrase) {
    return "Try turning off the positioner and supporting electronics and closing out of Dotfield, verifying "
           "the "
           "connection of the power and communication cables to the " +
           phrase + ", then restarting the positioner and electronics, followed by restarting Dotfield.";
}

TEST(ErrorAlertContentTest, NotConnectedNamesTheAxesThatLostTheirConnection) {
    using M = MotorPosition;
    const std::vector<std::pair<std::set<M>, std::string>> cases{
        {{M::xMotor}, "X axis"},
        {{M::yMotor}, "Y axis"},
        {{M::zMotor, M::allMotors}, "Z axis"},
        {{M::xMotor, M::yMotor}, "X and Y axes"},
        {{M::xMotor, M::zMotor}, "X and Z axes"},
        {{M::yMotor, M::zMotor}, "Y and Z axes"},
        {{M::xMotor, M::yMotor, M::zMotor}, "X, Y, and Z axes"},
    };
    for (const auto& [axes, phrase] : cases) {
        SCOPED_TRACE(phrase);
        EXPECT_EQ(RoboticsError::notConnected(axes).presentableDescription(),
                  (ErrorAlertContent{"OK", "Cancel", axesTitle(phrase), axesText(phrase)}));
    }

    const ErrorAlertContent generic{
        "OK", "Cancel", "The connection to the robot has been lost.",
        "Try turning off the positioner and supporting electronics and closing out of "
        "Dotfield, verifying the connection of the cables to the robot, then restarting "
        "the positioner and electronics, followed by restarting Dotfield."};
    EXPECT_EQ(RoboticsError::notConnected({}).presentableDescription(), generic);
    EXPECT_EQ(RoboticsError::notConnected({M::allMotors}).presentableDescription(), generic);
}

TEST(ErrorAlertContentTest, InternalTestFailureIsNeverShownToTheOperator) {
#ifndef NDEBUG
    EXPECT_DEATH(ElectronicsError(ElectronicsError::Kind::internalTestFailure).presentableDescription(),
                 "InternalTestFailure should never be used for dialog presentation");
    EXPECT_DEATH(RoboticsError(RoboticsError::Kind::internalTestFailure).presentableDescription(),
                 "InternalTestFailure should never be used for dialog presentation");
#else
    const ErrorAlertContent plain{"OK", std::nullopt, "Internal error", ""};
    EXPECT_EQ(ElectronicsError(ElectronicsError::Kind::internalTestFailure).presentableDescription(), plain);
    EXPECT_EQ(RoboticsError(RoboticsError::Kind::internalTestFailure).presentableDescription(), plain);
#endif
}

} // namespace
} // namespace Dotfield
