// DropwrightProto: moves, halting, position, motion and fault reports, fault
// clearing and the reference test.

#include <algorithm>
#include <cmath>
#include <string>

#include "Dotfield/Robotics/Models/DropwrightProto.hpp"
#include "Dotfield/Robotics/Proto/ProtoCommands.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

constexpr MotorPosition axes[] = {MotorPosition::xMotor, MotorPosition::yMotor, MotorPosition::zMotor};
// A "$" reply read whole: "1$: 160" and its CR.
constexpr std::size_t statusReplyLength = 8;

RoboticsError logged(RoboticsError::Kind kind) {
    return Diagnostics::logAndReturnError(RoboticsError(kind));
}

// The target as counts to send: a target that is not a number is refused
// before it could be clamped onto an end of the travel.
std::int64_t targetCounts(double target, double a, double b) {
    if (!std::isfinite(target)) {
        throw logged(RoboticsError::Kind::abortedDuringMove);
    }
    return Proto::nearestInteger(std::clamp(target, std::min(a, b), std::max(a, b)));
}

} // namespace

void DropwrightProto::moveMotor(MotorPosition motor, double toPosition) {
    if (!std::isfinite(toPosition)) {
        throw logged(RoboticsError::Kind::abortedDuringMove);
    }
    const std::int64_t target = Proto::nearestInteger(clampedDistance(toPosition, motor));
    if (motor == MotorPosition::zMotor) {
        zTarget_.reset(); // unknown until the target is taken
    }
    send(Proto::commandWithValue("s", target), motor);
    send("A", motor);
    if (motor == MotorPosition::zMotor) {
        zTarget_ = target;
    }
}

void DropwrightProto::moveXandYMotorsToPosition(double xPosition, double yPosition) {
    const Coordinate maximum = maximumMotorPosition();
    const std::int64_t x = targetCounts(xPosition, convertPositionToMotorCoordinateSpaceInX(0.0),
                                        convertPositionToMotorCoordinateSpaceInX(maximum.x));
    const std::int64_t y = targetCounts(yPosition, convertPositionToMotorCoordinateSpaceInY(0.0),
                                        convertPositionToMotorCoordinateSpaceInY(maximum.y));
    // Z keeps the target it stands at or runs to; where that is not known
    // (after a halt, homing or a fault), where the robot stands.
    const std::int64_t z = zTarget_.value_or(
        Proto::nearestInteger(clampedDistance(convertPositionToMotorCoordinateSpaceInZ(currentCoordinate().z),
                                              MotorPosition::zMotor)));
    send(Proto::commandWithValue("s", x), MotorPosition::xMotor);
    send(Proto::commandWithValue("s", y), MotorPosition::yMotor);
    send(Proto::commandWithValue("s", z), MotorPosition::zMotor);
    zTarget_ = z;
    // One start for all controllers: X and Y set off together, so a line
    // whose speeds are proportioned stays straight.
    send("A", MotorPosition::allMotors);
}

void DropwrightProto::haltMovement() {
    zTarget_.reset();
    for (const MotorPosition motor : axes) {
        send("S", motor);
    }
}

Robot::Coordinate DropwrightProto::readRawCurrentPosition() {
    double counts[3] = {0.0, 0.0, 0.0};
    try {
        for (std::size_t i = 0; i < 3; ++i) {
            counts[i] = Proto::parsePositionReply(query("ZC", axes[i]));
        }
    } catch (const CommunicationsError& error) {
        throw Proto::convertedError(error);
    }
    return {counts[0], counts[1], counts[2]};
}

Robot::Coordinate DropwrightProto::readCurrentPosition() {
    const Coordinate counts = readRawCurrentPosition();
    const Coordinate offset = offsetFromHomePositionToLimit();
    return {counts.x * Proto::micronsPerCountInX - offset.x, -(counts.y * Proto::micronsPerCountInY) - offset.y,
            (zTravelInCounts - counts.z) * Proto::micronsPerCountInZ - offset.z};
}

Robot::AxisFlags DropwrightProto::checkIfAxesAreMoving(bool x, bool y, bool z, bool isHoming) {
    const bool asked[3] = {x, y, z};
    bool moving[3] = {false, false, false};
    for (std::size_t i = 0; i < 3; ++i) {
        if (!asked[i]) {
            continue;
        }
        const MotorPosition motor = axes[i];
        std::int32_t status = 0;
        try {
            SerialPort& port = link();
            const auto readStatus = [&] { return Proto::commandResponse("$", motor, statusReplyLength, false, port); };
            std::string reply;
            try {
                reply = readStatus();
            } catch (const CommunicationsError&) {
                reply = readStatus();
            }
            status = Proto::parseStatusReply(reply);
        } catch (const CommunicationsError&) {
            throw logged(RoboticsError::Kind::corruptedCommunications);
        }
        if (Proto::statusIsFault(status)) {
            if (isHoming) {
                continue;
            }
            haltMovement();
            clearPositionerErrorForMotor(motor);
            Diagnostics::printWithContext(std::string("Hit obstruction in ") + axisLetter(motor));
            throw logged(RoboticsError::Kind::hitObstruction);
        }
        moving[i] = Proto::statusMeansMoving(status);
    }
    return {moving[0], moving[1], moving[2]};
}

void DropwrightProto::clearPositionerErrorForMotor(MotorPosition motor) {
    zTarget_.reset();
    std::int32_t counts = 0;
    try {
        counts = Proto::parseClearingPositionReply(query("ZC", motor));
    } catch (const CommunicationsError& error) {
        throw Proto::convertedError(error);
    }
    send(Proto::commandWithValue("D", counts), motor);
}

bool DropwrightProto::needsToHome() {
    try {
        for (const MotorPosition motor : axes) {
            if (!Proto::isReferencedReply(query(":is_referenced", motor), motor)) {
                return true;
            }
        }
    } catch (const CommunicationsError& error) {
        throw Proto::convertedError(error);
    }
    return false;
}

} // namespace Dotfield
