// DropwrightProto: homing. Z is referenced first (a run down onto its limit
// switch, then up onto its home switch) and brought to its start; then X and
// Y run onto their home switches, out to their limit switches and back onto
// the home switches, and every axis is left in positioning mode at count 0
// with the manual speeds.

#include <chrono>

#include "Dotfield/Robotics/Models/DropwrightProto.hpp"
#include "Dotfield/Robotics/Proto/ProtoCommands.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

constexpr MotorPosition x = MotorPosition::xMotor;
constexpr MotorPosition y = MotorPosition::yMotor;
constexpr MotorPosition z = MotorPosition::zMotor;
constexpr MotorPosition axes[] = {x, y, z};

RoboticsError logged(RoboticsError::Kind kind) {
    return Diagnostics::logAndReturnError(RoboticsError(kind));
}

} // namespace

void DropwrightProto::awaitReferenceRuns(bool awaitX, bool awaitY, bool awaitZ) {
    const Clock::TimePoint start = clock()->now();
    bool pending[3] = {awaitX, awaitY, awaitZ};
    const auto anyPending = [&] { return pending[0] || pending[1] || pending[2]; };
    while (anyPending()) {
        for (std::size_t i = 0; i < 3; ++i) {
            if (!pending[i]) {
                continue;
            }
            // A switch that is never reached must not hold the robot queue:
            // the operator can abort, and the poll gives up in the end.
            if (movementAborted()) {
                setMovementAborted(false);
                haltAfterAbort("home");
            }
            if (std::chrono::duration<double>(clock()->now() - start).count() > referenceRunTimeLimit) {
                haltMovement();
                throw logged(RoboticsError::Kind::abortedDuringMove);
            }
            const std::string reply = query("$", axes[i]);
            std::int32_t status = 0;
            try {
                status = Proto::parseStatusReply(reply);
            } catch (const CommunicationsError&) {
                throw logged(RoboticsError::Kind::corruptedCommunications);
            }
            if (Proto::statusEndsReferenceRun(status)) {
                sendUnconverted("S", axes[i]);
                sendUnconverted("D0", axes[i]);
                pending[i] = false;
            }
        }
    }
}

void DropwrightProto::runXandYOntoHomeSwitches() {
    sendUnconverted("i50", x);
    sendUnconverted("i50", y);
    sendUnconverted("d1", x);
    sendUnconverted("d0", y);
    sendUnconverted("p3", x);
    sendUnconverted("A", x);
    sendUnconverted("p3", y);
    sendUnconverted("A", y);

    bool stoppedInTime = true;
    try {
        waitForMovementToFinishOnAxes(true, true, false, true, firstHomeRunTimeLimit);
    } catch (const RoboticsError& error) {
        // Run out of time, or aborted (the axes are halted then): an axis still
        // running is going the wrong way.
        if (error.kind() != RoboticsError::Kind::abortedDuringMove) {
            throw;
        }
        stoppedInTime = false;
    }
    if (stoppedInTime) {
        sendUnconverted("D0", x);
        sendUnconverted("D0", y);
        return;
    }

    const AxisFlags running = checkIfAxesAreMoving(true, true, false, true);
    if (running.x) {
        sendUnconverted("D0", y);
        for (const char* command : {"S", "D0", "d0", "p3", "A"}) {
            sendUnconverted(command, x);
        }
    }
    if (running.y) {
        sendUnconverted("D0", x);
        for (const char* command : {"S", "D0", "d1", "p3", "A"}) {
            sendUnconverted(command, y);
        }
    }
    waitForMovementToFinishOnAxes(true, true, false, true);
}

Robot::Coordinate DropwrightProto::home() {
    zTarget_.reset();
    updateMotorTuningParameters();
    for (const MotorPosition motor : axes) {
        sendUnconverted("D0", motor);
    }

    // Z onto its limit switch, then onto its home switch.
    sendUnconverted("p4", z);
    sendUnconverted("d0", z);
    sendUnconverted("i50", z);
    setVelocity(zReferenceVelocity, z);
    sendUnconverted("A", z);
    awaitReferenceRuns(false, false, true);
    sendUnconverted("d1", z);
    sendUnconverted("p3", z);
    sendUnconverted("A", z);
    waitForMovementToFinishOnAxes(false, false, true, true);

    // Z to its start before X and Y move.
    sendUnconverted("p2", z);
    sendUnconverted("D0", z);
    sendUnconverted("s0", z);
    useManualPositioningMovementParameters();
    sendUnconverted("i50", z);
    sendUnconverted("A", z);

    runXandYOntoHomeSwitches();

    // X and Y out onto their limit switches.
    sendUnconverted("d0", x);
    sendUnconverted("p4", x);
    setVelocity(xyReferenceVelocity, x);
    sendUnconverted("d1", y);
    sendUnconverted("p4", y);
    setVelocity(xyReferenceVelocity, y);
    sendUnconverted("i50", x);
    sendUnconverted("i50", y);
    sendUnconverted("A", x);
    sendUnconverted("A", y);
    awaitReferenceRuns(true, true, false);

    // And back onto their home switches.
    sendUnconverted("d1", x);
    sendUnconverted("d0", y);
    sendUnconverted("i75", x);
    sendUnconverted("i75", y);
    sendUnconverted("p3", x);
    sendUnconverted("A", x);
    sendUnconverted("p3", y);
    sendUnconverted("A", y);
    waitForMovementToFinishOnAxes(true, true, false, true);

    // Every axis in positioning mode at count 0, with the manual speeds.
    sendUnconverted("p2", x);
    sendUnconverted("p2", y);
    sendUnconverted("D0", x);
    sendUnconverted("s0", x);
    sendUnconverted("D0", y);
    sendUnconverted("s0", y);
    useManualPositioningMovementParameters();
    sendUnconverted("A", x);
    sendUnconverted("A", y);

    return readCurrentPosition();
}

} // namespace Dotfield
