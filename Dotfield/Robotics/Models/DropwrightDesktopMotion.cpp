// DropwrightDesktop: backlash correction, moves, position and status reads,
// halting, homing and the line with its backlash take-up.

#include <chrono>
#include <cmath>
#include <string>

#include "Dotfield/Robotics/AxisComponents.hpp"
#include "Dotfield/Robotics/Gilson/GilsonCommands.hpp"
#include "Dotfield/Robotics/Models/DropwrightDesktop.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"
#include "Diagnostics/ProgramStop.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield {

namespace {

using VeltranePatterns::Coordinate;

RoboticsError logged(RoboticsError::Kind kind) {
    return Diagnostics::logAndReturnError(RoboticsError(kind));
}

double component(const Coordinate& coordinate, MotorPosition motor) {
    switch (motor) {
    case MotorPosition::xMotor:
        return coordinate.x;
    case MotorPosition::yMotor:
        return coordinate.y;
    default:
        return coordinate.z;
    }
}

// A position the controller reported, in mm; a reply that is no finite
// number is a corrupted one.
double reportedPosition(std::string_view text) {
    const std::optional<double> value = Zovudidova::parseDouble(text);
    if (!value || !std::isfinite(*value)) {
        throw Diagnostics::logAndReturnError(CommunicationsError::corruptedResponse({0}, {0}));
    }
    return *value;
}

// Whether the axis status character says the axis moves; "U" and "I" (not
// homed) count as moving while a homing runs.
bool axisMoves(char status, bool isHoming) {
    switch (status) {
    case 'P':
        return false;
    case 'R':
        return true;
    case 'U':
    case 'I':
        if (isHoming) {
            return true;
        }
        throw logged(RoboticsError::Kind::needsToHome);
    case 'E':
        throw logged(RoboticsError::Kind::hitObstruction);
    default:
        throw logged(RoboticsError::Kind::corruptedCommunications);
    }
}

} // namespace

// ---- Backlash and moves ---------------------------------------------------------------

double DropwrightDesktop::backlashCorrectionForMove(double target, MotorPosition motor,
                                                    bool movingInPositiveDirection) {
    if (motor == MotorPosition::allMotors) {
        Diagnostics::stopProgram("Must input a valid motor into the backlash correction calculations");
    }
    const AxisValues correction = backlashCorrection();
    const double included = movingInPositiveDirection ? axisComponent(correction, motor) : 0.0;
    storeLastMoveCorrection(replacingAxisComponent(backlashCorrectionForLastMove(), motor, included));
    return target + included / 1000.0;
}

void DropwrightDesktop::moveMotor(MotorPosition motor, double toPosition) {
    if (motor == MotorPosition::allMotors) {
        Diagnostics::stopProgram("Error: no motor specified");
    }
    // Clamping would turn a NaN into an end of the travel.
    if (!std::isfinite(toPosition)) {
        throw logged(RoboticsError::Kind::abortedDuringMove);
    }
    if (std::fabs(deadBandReference(motor) - toPosition) <= deadBand) {
        return;
    }
    const double current = component(currentCoordinate(), motor) / 1000.0;
    moveMotorAccountingForBacklash(motor, toPosition, toPosition > current);
}

double DropwrightDesktop::deadBandReference(MotorPosition motor) const {
    const auto axis = static_cast<std::size_t>(motor);
    return sentTargets_[axis].value_or(component(currentCoordinate(), motor) / 1000.0);
}

void DropwrightDesktop::moveMotorAccountingForBacklash(MotorPosition motor, double toPosition,
                                                       bool movingInPositiveDirection) {
    constexpr const char* function = "moveMotorAccountingForBacklash(_:toPosition:movingInPositiveDirection:)";
    if (motor == MotorPosition::allMotors) {
        Diagnostics::stopProgram("Error: no motor specified");
    }
    if (!std::isfinite(toPosition)) {
        throw logged(RoboticsError::Kind::abortedDuringMove);
    }
    SerialPort& port = link();
    // The correction first, the travel limit after it.
    const double target =
        clampedDistance(backlashCorrectionForMove(toPosition, motor, movingInPositiveDirection), motor);
    const AxisValues velocities = currentVelocities();
    try {
        std::string command;
        if (motor == MotorPosition::zMotor) {
            command = gilsonMoveZCommand(target, velocities.z);
        } else {
            // The controller moves X and Y only together: the other axis goes
            // to where it is.
            const auto [x, y] = readRawXYPosition();
            command = motor == MotorPosition::xMotor ? gilsonMoveXYCommand(target, velocities.x, y, velocities.y)
                                                     : gilsonMoveXYCommand(x, velocities.x, target, velocities.y);
        }
        sendGilsonBufferedCommand(command, port);
    } catch (const CommunicationsError& error) {
        sentTargets_[static_cast<std::size_t>(motor)].reset();
        throw translated(error, function);
    }
    sentTargets_[static_cast<std::size_t>(motor)] = toPosition;
}

void DropwrightDesktop::moveXandYMotorsToPosition(double xPosition, double yPosition) {
    if (!std::isfinite(xPosition) || !std::isfinite(yPosition)) {
        throw logged(RoboticsError::Kind::abortedDuringMove);
    }
    const Coordinate current = currentCoordinate() / 1000.0;
    const bool xMoves = std::fabs(deadBandReference(MotorPosition::xMotor) - xPosition) > deadBand;
    const bool yMoves = std::fabs(deadBandReference(MotorPosition::yMotor) - yPosition) > deadBand;
    if (xMoves && yMoves) {
        moveXandYMotorsToPositionAccountingForBacklash({xPosition, yPosition},
                                                       {xPosition > current.x, yPosition > current.y});
    } else if (xMoves) {
        moveMotorAccountingForBacklash(MotorPosition::xMotor, xPosition, xPosition > current.x);
    } else if (yMoves) {
        moveMotorAccountingForBacklash(MotorPosition::yMotor, yPosition, yPosition > current.y);
    }
}

void DropwrightDesktop::moveXandYMotorsToPositionAccountingForBacklash(std::pair<double, double> position,
                                                                       std::pair<bool, bool> positive) {
    if (!std::isfinite(position.first) || !std::isfinite(position.second)) {
        throw logged(RoboticsError::Kind::abortedDuringMove);
    }
    SerialPort& port = link();
    const double x = clampedDistance(backlashCorrectionForMove(position.first, MotorPosition::xMotor, positive.first),
                                     MotorPosition::xMotor);
    const double y = clampedDistance(
        backlashCorrectionForMove(position.second, MotorPosition::yMotor, positive.second), MotorPosition::yMotor);
    const AxisValues velocities = currentVelocities();
    try {
        sendGilsonBufferedCommand(gilsonMoveXYCommand(x, velocities.x, y, velocities.y), port);
    } catch (const CommunicationsError& error) {
        sentTargets_ = {};
        throw translated(error, "moveXandYMotorsToPositionAccountingForBacklash(_:movingInPositiveDirection:)");
    }
    sentTargets_[0] = position.first;
    sentTargets_[1] = position.second;
}

// ---- Position and status ------------------------------------------------------------------

std::pair<double, double> DropwrightDesktop::readRawXYPosition() {
    const std::string reply = queryImmediate("X");
    // The parts between the slashes; empty ones do not count.
    std::vector<std::string_view> parts;
    std::string_view rest = reply;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        if (!part.empty()) {
            parts.push_back(part);
        }
        if (slash == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(slash + 1);
    }
    if (parts.size() < 2) {
        throw Diagnostics::logAndReturnError(CommunicationsError::wrongByteCount(2, 1));
    }
    return {reportedPosition(parts[0]), reportedPosition(parts[1])};
}

double DropwrightDesktop::readRawZPosition() {
    return reportedPosition(queryImmediate("Z"));
}

Robot::Coordinate DropwrightDesktop::readCurrentPosition() {
    link();
    try {
        std::pair<double, double> xy;
        try {
            xy = readRawXYPosition();
        } catch (const CommunicationsError&) {
            xy = readRawXYPosition();
        }
        double z = 0.0;
        try {
            z = readRawZPosition();
        } catch (const CommunicationsError&) {
            z = readRawZPosition();
        }
        const AxisValues last = backlashCorrectionForLastMove();
        return {(xy.first - last.x / 1000.0) * 1000.0, (xy.second - last.y / 1000.0) * 1000.0,
                (z - last.z / 1000.0) * 1000.0};
    } catch (const CommunicationsError& error) {
        throw translated(error, "readCurrentPosition()");
    }
}

Robot::AxisFlags DropwrightDesktop::checkIfAxesAreMoving(bool, bool, bool, bool isHoming) {
    std::string reply;
    try {
        reply = queryImmediate("M");
    } catch (const CommunicationsError& error) {
        throw translated(error, "checkIfAxesAreMoving(x:y:z:isHoming:)");
    }
    if (reply.size() < 3) {
        throw logged(RoboticsError::Kind::corruptedCommunications);
    }
    // In order: the first axis that fails ends the decoding.
    const bool x = axisMoves(reply[0], isHoming);
    const bool y = axisMoves(reply[1], isHoming);
    const bool z = axisMoves(reply[2], isHoming);
    return {x, y, z};
}

bool DropwrightDesktop::needsToHome() {
    try {
        return queryImmediate("M").find('U') != std::string::npos;
    } catch (const CommunicationsError& error) {
        throw translated(error, "needsToHome()");
    }
}

// ---- Halting and waiting ---------------------------------------------------------------------

void DropwrightDesktop::haltMovement() {
    sentTargets_ = {};
    // The controller takes no stop command. What can be done is to wait until
    // the axes stand, so that the position read next is where they are.
    const std::shared_ptr<SerialPort> port = serialPort();
    if (!port || port->isClosed()) {
        return;
    }
    const Clock::TimePoint start = clock()->now();
    while (std::chrono::duration<double>(clock()->now() - start).count() <= haltTimeLimit) {
        std::string reply;
        try {
            reply = sendGilsonImmediateCommand("M", *port);
        } catch (const CommunicationsError& error) {
            // The position read that follows reports the broken link.
            Diagnostics::printWithContext(std::string("No axis status while halting: ") + error.what());
            return;
        }
        // "R" runs; "I" counts as running too (a homing under way).
        if (reply.substr(0, 3).find_first_of("RI") == std::string::npos) {
            return;
        }
    }
    Diagnostics::printWithContext("The axes still moved when the halt gave up waiting");
}

void DropwrightDesktop::waitForAxesToStand(bool isHoming) {
    waitForMovementToFinishOnAxes(true, true, true, isHoming, waitTimeLimit);
}

Robot::Coordinate DropwrightDesktop::home() {
    sentTargets_ = {};
    link();
    storeLastMoveCorrection(AxisValues{});
    updateMotorTuningParameters();
    sendBuffered("H", "home()");
    waitForAxesToStand(true);
    useManualPositioningMovementParameters();
    return readCurrentPosition();
}

// ---- Lines ---------------------------------------------------------------------------------------

void DropwrightDesktop::drawLineToCoordinate(const Coordinate& coordinate,
                                             const std::shared_ptr<SurfaceTopographyMap>& topographyMap,
                                             std::optional<double> overrideVelocity,
                                             std::optional<double> overrideAcceleration) {
    if (!VeltranePatterns::isFinite(coordinate)) {
        throw logged(RoboticsError::Kind::abortedDuringMove);
    }
    const Coordinate current = currentCoordinate();
    const AxisFlags differ = coordinate.differenceAboveMargin(current, movementMargin);
    const int axesMoving = int(differ.x) + int(differ.y) + int(differ.z);
    if (axesMoving == 0) {
        return;
    }
    // Two or three axes: each first goes to where it is, approached from the
    // side the line leaves it by, so its backlash is taken up before the line.
    if (axesMoving > 1) {
        const Coordinate here = current / 1000.0;
        const bool xPositive = coordinate.x > current.x;
        const bool yPositive = coordinate.y > current.y;
        if (differ.z) {
            moveMotorAccountingForBacklash(MotorPosition::zMotor, here.z, coordinate.z > current.z);
        }
        if (differ.x && differ.y) {
            moveXandYMotorsToPositionAccountingForBacklash({here.x, here.y}, {xPositive, yPositive});
        } else if (differ.x) {
            moveMotorAccountingForBacklash(MotorPosition::xMotor, here.x, xPositive);
        } else if (differ.y) {
            moveMotorAccountingForBacklash(MotorPosition::yMotor, here.y, yPositive);
        }
        waitForAxesToStand(false);
    }
    Robot::drawLineToCoordinate(coordinate, topographyMap, overrideVelocity, overrideAcceleration);
}

} // namespace Dotfield
