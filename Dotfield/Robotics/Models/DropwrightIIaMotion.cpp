// DropwrightIIa: moves, halting, position and motion reports, the contour
// buffer query and homing.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <chrono>

#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"
#include "Dotfield/Robotics/SmartMotor/AnimaticsCommands.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

constexpr MotorPosition axes[] = {MotorPosition::xMotor, MotorPosition::yMotor, MotorPosition::zMotor};

RoboticsError logged(RoboticsError::Kind kind) {
    return Diagnostics::logAndReturnError(RoboticsError(kind));
}

double clampedBetween(double value, double a, double b) {
    return std::clamp(value, std::min(a, b), std::max(a, b));
}

} // namespace

void DropwrightIIa::moveMotor(MotorPosition motor, double toPosition) {
    // Clamping would turn a NaN into an end of the travel.
    if (!std::isfinite(toPosition)) {
        throw logged(RoboticsError::Kind::abortedDuringMove);
    }
    const std::int32_t target = animaticsInteger(clampedDistance(toPosition, motor));
    sendValue(std::string(modelRow().targetCommand) + "=", target, motor);
    send("G", motor);
}

void DropwrightIIa::moveXandYMotorsToPosition(double xPosition, double yPosition) {
    if (!std::isfinite(xPosition) || !std::isfinite(yPosition)) {
        throw logged(RoboticsError::Kind::abortedDuringMove);
    }
    const Coordinate maximum = maximumMotorPosition();
    const std::int32_t x = animaticsInteger(clampedBetween(xPosition, convertPositionToMotorCoordinateSpaceInX(0.0),
                                                           convertPositionToMotorCoordinateSpaceInX(maximum.x)));
    const std::int32_t y = animaticsInteger(clampedBetween(yPosition, convertPositionToMotorCoordinateSpaceInY(0.0),
                                                           convertPositionToMotorCoordinateSpaceInY(maximum.y)));
    const std::string target = std::string(modelRow().targetCommand) + "=";
    sendValue(target, x, MotorPosition::xMotor);
    sendValue(target, y, MotorPosition::yMotor);
    send("G", MotorPosition::xMotor);
    send("G", MotorPosition::yMotor);
}

void DropwrightIIa::haltMovement() {
    for (const MotorPosition motor : axes) {
        send("S", motor);
    }
    const Coordinate here = readCurrentPosition();
    moveMotor(MotorPosition::xMotor, convertPositionToMotorCoordinateSpaceInX(here.x));
    moveMotor(MotorPosition::yMotor, convertPositionToMotorCoordinateSpaceInY(here.y));
    moveMotor(MotorPosition::zMotor, convertPositionToMotorCoordinateSpaceInZ(here.z));
    for (const MotorPosition motor : axes) {
        clearPositionerErrorForMotor(motor);
    }
}

Robot::Coordinate DropwrightIIa::readCurrentPosition() {
    const SmartMotorModelRow& row = modelRow();
    double counts[3] = {0.0, 0.0, 0.0};
    try {
        for (std::size_t i = 0; i < 3; ++i) {
            counts[i] = static_cast<double>(queryInteger(row.positionReportCommand, axes[i]));
        }
    } catch (const CommunicationsError& error) {
        throw convertedAnimaticsError(error);
    }
    const Coordinate off = offsetFromHomePositionToLimit();
    const double k = row.motorScaleFactor;
    const double rangeZ = row.rangeOfMotion.z;
    const double z = row.newMotors ? std::round((counts[2] + rangeZ) * k - off.z) : (rangeZ - counts[2]) * k - off.z;
    return {counts[0] * k - off.x, -counts[1] * k - off.y, z};
}

void DropwrightIIa::clearPositionerErrorForMotor(MotorPosition motor) {
    send("ZS", motor);
}

bool DropwrightIIa::checkIfAnimaticsMotorIsMoving(MotorPosition motor, bool isHoming) {
    const SmartMotorModelRow& row = modelRow();
    std::int64_t status = queryInteger("RW", motor);
    if ((status & row.errorBit) != 0 && !isHoming) {
        Diagnostics::printWithContext(std::string(toString(motor)) + " hit error, trying to recover");
        send("ZS", motor);
        status = queryInteger("RW", motor);
        if ((status & row.errorBit) != 0) {
            haltMovement();
            throw logged(RoboticsError::Kind::hitObstruction);
        }
    }
    return (status & row.movingBit) != 0;
}

Robot::AxisFlags DropwrightIIa::checkIfAxesAreMoving(bool x, bool y, bool z, bool isHoming) {
    const bool asked[3] = {x, y, z};
    bool moving[3] = {false, false, false};
    try {
        for (std::size_t i = 0; i < 3; ++i) {
            moving[i] = asked[i] && checkIfAnimaticsMotorIsMoving(axes[i], isHoming);
        }
    } catch (const CommunicationsError& error) {
        throw convertedAnimaticsError(error);
    }
    return {moving[0], moving[1], moving[2]};
}

std::uint8_t DropwrightIIa::availableBufferSpaceOnMotor(MotorPosition motor) {
    const std::vector<std::uint8_t> reply = queryBytes("Q", motor, dropwrightIIaRow.bufferReplyLength);
    const std::uint8_t b1 = reply[1];
    if (b1 >= 0x81) {
        return static_cast<std::uint8_t>(b1 - 0x80);
    }
    if (b1 == 0x40) {
        Diagnostics::printWithContext("Stalled on motor:" + std::string(toString(motor)));
        throw logged(RoboticsError::Kind::corruptedCommunications);
    }
    return reply[2];
}

DropwrightIIa::BufferSpace DropwrightIIa::availableBufferSpaceOnAxes(bool x, bool y, bool z) {
    BufferSpace space;
    if (x) {
        space.x = availableBufferSpaceOnMotor(MotorPosition::xMotor);
    }
    if (y) {
        space.y = availableBufferSpaceOnMotor(MotorPosition::yMotor);
    }
    if (z) {
        space.z = availableBufferSpaceOnMotor(MotorPosition::zMotor);
    }
    return space;
}

bool DropwrightIIa::needsToHome() {
    std::string reply;
    try {
        reply = queryText("Rh", MotorPosition::xMotor);
    } catch (const CommunicationsError& error) {
        throw convertedAnimaticsError(error);
    }
    // Only a plain integer counts; anything else is a garbled reply.
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(reply.data(), reply.data() + reply.size(), value);
    if (reply.empty() || error != std::errc() || end != reply.data() + reply.size()) {
        throw logged(RoboticsError::Kind::corruptedCommunications);
    }
    return value != 1;
}

void DropwrightIIa::waitForHoming(bool x, bool y, bool z) {
    const Clock::TimePoint start = clock()->now();
    try {
        waitForMovementToFinishOnAxes(x, y, z, true, homingTimeLimit);
    } catch (const RoboticsError& error) {
        // A homing program that never ends is stopped before the error goes up
        // (an abort has halted the axes already).
        if (error.kind() == RoboticsError::Kind::abortedDuringMove &&
            std::chrono::duration<double>(clock()->now() - start).count() > homingTimeLimit) {
            haltMovement();
        }
        throw;
    }
}

Robot::Coordinate DropwrightIIa::home() {
    activateStoredProgramOnAnimaticsMotor(MotorPosition::zMotor, link());
    pause(delayForHomeValues);
    waitForHoming(false, false, true);

    activateStoredProgramOnAnimaticsMotor(MotorPosition::xMotor, link());
    activateStoredProgramOnAnimaticsMotor(MotorPosition::yMotor, link());
    pause(delayForHomeValues);
    waitForHoming(true, true, false);
    waitForHoming(true, true, false);

    updateMotorTuningParameters();
    useManualPositioningMovementParameters();
    return readCurrentPosition();
}

} // namespace Dotfield
