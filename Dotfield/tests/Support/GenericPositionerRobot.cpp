#include "Dotfield/tests/Support/GenericPositionerRobot.hpp"

#include <vector>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/SerialLink/SerialCommunication.hpp"
#include "Dotfield/Instrument/SerialLink/AsciiBytes.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield::testing {

namespace {

constexpr std::uint8_t carriageReturn = 0x0D;
constexpr double travelX = 300000.0;
constexpr double travelY = 300000.0;
constexpr double travelZ = 90000.0;
constexpr double platePitch = 100000.0;

std::string axisName(MotorPosition motor) {
    switch (motor) {
    case MotorPosition::xMotor:
        return "X";
    case MotorPosition::yMotor:
        return "Y";
    case MotorPosition::zMotor:
        return "Z";
    case MotorPosition::allMotors:
        break;
    }
    throw Diagnostics::logAndReturnError(RoboticsError(RoboticsError::Kind::internalTestFailure));
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start <= line.size()) {
        const std::size_t space = line.find(' ', start);
        result.push_back(line.substr(start, space == std::string::npos ? std::string::npos : space - start));
        if (space == std::string::npos) {
            break;
        }
        start = space + 1;
    }
    return result;
}

RoboticsError corrupted() {
    return Diagnostics::logAndReturnError(RoboticsError(RoboticsError::Kind::corruptedCommunications));
}

} // namespace

GenericPositionerRobot::GenericPositionerRobot(ConstructionKey key, std::shared_ptr<UserDefaults> userDefaults)
    : Robot(key, std::move(userDefaults)) {}

Robot::Coordinate GenericPositionerRobot::rangeOfMotion() const {
    return {travelX, travelY, travelZ};
}

Robot::Coordinate GenericPositionerRobot::maximumMotorPosition() const {
    return {travelX, travelY, travelZ};
}

std::shared_ptr<SerialPort> GenericPositionerRobot::retrieveSerialPort(const SerialPortOpener& openSerialPort) {
    return openSerialPort(linkProperties());
}

void GenericPositionerRobot::disconnectFromSerialPort() {
    if (const auto port = serialPort()) {
        port->closeSerialPort();
    }
    setSerialPort(nullptr);
}

std::string GenericPositionerRobot::exchange(const std::string& command) {
    const auto port = serialPort();
    if (!port) {
        throw Diagnostics::logAndReturnError(RoboticsError::notConnected({MotorPosition::allMotors}));
    }
    std::vector<std::uint8_t> reply;
    try {
        std::vector<std::uint8_t> bytes = asciiBytes(command);
        bytes.push_back(carriageReturn);
        genericSerialCommunication(bytes, bytes.size(), *port, AD_Write);
        reply = sanitizedResponseBytes(readBytesUntilTerminator(carriageReturn, *port));
    } catch (const CommunicationsError& error) {
        throw Diagnostics::logAndReturnError(RoboticsError(error));
    }
    const std::string line(reply.begin(), reply.end());
    if (line == "E FAULT") {
        throw Diagnostics::logAndReturnError(RoboticsError(RoboticsError::Kind::hitObstruction));
    }
    if (line == "E HOME") {
        throw Diagnostics::logAndReturnError(RoboticsError(RoboticsError::Kind::needsToHome));
    }
    if (line.starts_with("E")) {
        throw corrupted();
    }
    return line;
}

void GenericPositionerRobot::command(const std::string& text) {
    if (exchange(text) != "OK") {
        throw corrupted();
    }
}

void GenericPositionerRobot::moveMotor(MotorPosition motor, double toPosition) {
    command("M " + axisName(motor) + " " + Zovudidova::formatDouble(clampedDistance(toPosition, motor)));
}

void GenericPositionerRobot::moveXandYMotorsToPosition(double xPosition, double yPosition) {
    command("MXY " + Zovudidova::formatDouble(clampedDistance(xPosition, MotorPosition::xMotor)) + " " +
            Zovudidova::formatDouble(clampedDistance(yPosition, MotorPosition::yMotor)));
}

void GenericPositionerRobot::haltMovement() {
    command("H");
}

Robot::Coordinate GenericPositionerRobot::readCurrentPosition() {
    const auto reply = fields(exchange("P"));
    if (reply.size() != 4 || reply[0] != "P") {
        throw corrupted();
    }
    const auto x = Zovudidova::parseDouble(reply[1]);
    const auto y = Zovudidova::parseDouble(reply[2]);
    const auto z = Zovudidova::parseDouble(reply[3]);
    if (!x || !y || !z) {
        throw corrupted();
    }
    return {*x, *y, *z};
}

Robot::AxisFlags GenericPositionerRobot::checkIfAxesAreMoving(bool x, bool y, bool z, bool /*isHoming*/) {
    const std::string reply = exchange("S");
    if (reply.size() != 5 || !reply.starts_with("S ")) {
        throw corrupted();
    }
    const bool asked[3] = {x, y, z};
    bool moving[3] = {false, false, false};
    for (int i = 0; i < 3; ++i) {
        const char state = reply[2 + i];
        if (state != 'M' && state != 'R' && state != 'E') {
            throw corrupted();
        }
        if (asked[i] && state == 'E') {
            throw Diagnostics::logAndReturnError(RoboticsError(RoboticsError::Kind::hitObstruction));
        }
        moving[i] = asked[i] && state == 'M';
    }
    return {moving[0], moving[1], moving[2]};
}

void GenericPositionerRobot::clearPositionerErrorForMotor(MotorPosition motor) {
    command("C " + axisName(motor));
}

bool GenericPositionerRobot::needsToHome() {
    const std::string reply = exchange("N");
    if (reply != "N 0" && reply != "N 1") {
        throw corrupted();
    }
    return reply == "N 1";
}

Robot::Coordinate GenericPositionerRobot::home() {
    command("HOME");
    waitForMovementToFinishOnAxes(true, true, true, true);
    return readCurrentPosition();
}

void GenericPositionerRobot::setVelocity(double velocity, MotorPosition motor) {
    command("V " + axisName(motor) + " " + Zovudidova::formatDouble(velocity));
}

void GenericPositionerRobot::setAcceleration(double acceleration, MotorPosition motor) {
    command("A " + axisName(motor) + " " + Zovudidova::formatDouble(acceleration));
}

Robot::Coordinate GenericPositionerRobot::offsetForA1WellOfPlateNumber(std::uint64_t plateNumber) {
    return {0.0, static_cast<double>(plateNumber) * platePitch, 0.0};
}

} // namespace Dotfield::testing
