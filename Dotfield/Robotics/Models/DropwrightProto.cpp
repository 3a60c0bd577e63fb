#include "Dotfield/Robotics/Models/DropwrightProto.hpp"

#include "Dotfield/Robotics/Proto/ProtoCommands.hpp"
#include "Dotfield/Platform/Log.hpp"
#include "Dotfield/Robotics/Proto/ProtoControllerSetup.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

using Proto::micronsPerCountInX;
using Proto::micronsPerCountInY;
using Proto::micronsPerCountInZ;
using Diagnostics::SourceLocation;

constexpr const char* controllerSetUpFailed = "The positioner's controllers could not be set up";

constexpr double xyTravel = 306000.0;
constexpr double zTravel = 90000.0;

// The position-mode and cascading gains of the stepper controllers: name,
// caption, the operator's key (one dictionary), the factory key and the
// built-in values.
const TuningValues::Keys tuningKeys{{
    {"proportionalGain", "Proportional gain:", "userDefinedPositionModeProportionalGain", false,
     "positionModeProportionalGain", {300, 400, 80}},
    {"integralGain", "Integral gain:", "userDefinedPositionModeIntegralGain", false, "positionModeIntegralGain",
     {5, 5, 10}},
    {"derivativeGain", "Derivative gain:", "userDefinedPositionModeDerivativeGain", false,
     "positionModeDerivativeGain", {300, 300, 100}},
    {"cascadingProportionalGain", "Proportional gain (cascading):",
     "userDefinedCascadingPositionModeProportionalGain", false, "cascadingPositionModeProportionalGain",
     {0, 200, 0}},
    {"cascadingIntegralGain", "Integral gain (cascading):", "userDefinedCascadingPositionModeIntegralGain", false,
     "cascadingPositionModeIntegralGain", {0, 0, 0}},
    {"cascadingDerivativeGain", "Derivative gain (cascading):", "userDefinedCascadingPositionModeDerivativeGain",
     false, "cascadingPositionModeDerivativeGain", {0, 0, 0}},
}};

} // namespace

// Each tuning triple: the user's tuning, else the factory values, else the defaults.
DropwrightProto::DropwrightProto(ConstructionKey key, std::shared_ptr<UserDefaults> userDefaults,
                                 std::shared_ptr<Clock> clock)
    : Robot(key, userDefaults, std::move(clock)), tuningValues_(tuningKeys, *userDefaults) {}

// ---- Model constants -------------------------------------------------------------------

double DropwrightProto::defaultSafePickupHeight() const {
    return 40000.0;
}

Robot::Coordinate DropwrightProto::rangeOfMotion() const {
    return {xyTravel / micronsPerCountInX, xyTravel / micronsPerCountInY, zTravel / micronsPerCountInZ};
}

Robot::Coordinate DropwrightProto::maximumMotorPosition() const {
    return {xyTravel, xyTravel, zTravel};
}

double DropwrightProto::motorScaleFactor() const {
    return micronsPerCountInZ;
}

Robot::Coordinate DropwrightProto::offsetForA1WellOfPlateNumber(std::uint64_t plateNumber) {
    return {0.0, static_cast<double>(plateNumber) * platePitch, 0.0};
}

// ---- Conversions -------------------------------------------------------------------------

double DropwrightProto::convertPositionToMotorCoordinateSpaceInX(double position) {
    return (position + offsetFromHomePositionToLimit().x) / micronsPerCountInX;
}

double DropwrightProto::convertPositionToMotorCoordinateSpaceInY(double position) {
    return -((position + offsetFromHomePositionToLimit().y) / micronsPerCountInY);
}

double DropwrightProto::convertPositionToMotorCoordinateSpaceInZ(double position) {
    return zTravelInCounts - (position + offsetFromHomePositionToLimit().z) / micronsPerCountInZ;
}

// ---- Link ----------------------------------------------------------------------------------

std::shared_ptr<SerialPort> DropwrightProto::retrieveSerialPort(const SerialPortOpener& openSerialPort) {
    try {
        std::shared_ptr<SerialPort> port = openSerialPort({portName, baudRate, false});
        // The set-up's commands go out on the robot's port.
        setSerialPort(port);
        configureControllers();
        return port;
    } catch (const RoboticsError& error) {
        if (error.kind() == RoboticsError::Kind::notConnected) {
            throw;
        }
        writeLogLine(describeFailure(controllerSetUpFailed, std::current_exception()));
    } catch (...) {
        // Reported as a failed link below; the cause stays in the log.
        writeLogLine(describeFailure(controllerSetUpFailed, std::current_exception()));
    }
    throw Diagnostics::logAndReturnError(
        CommunicationsError::failedStatusCheck(),
        SourceLocation::current(__builtin_FILE(), __builtin_LINE(), "retrieveSerialPort"));
}

void DropwrightProto::disconnectFromSerialPort() {
    if (const std::shared_ptr<SerialPort> port = serialPort()) {
        port->closeSerialPort();
    }
}

void DropwrightProto::configureControllers() {
    Proto::configureControllers(link());
}

// ---- Exchanges -------------------------------------------------------------------------------

SerialPort& DropwrightProto::link() const {
    const std::shared_ptr<SerialPort> port = serialPort();
    if (!port || port->isClosed()) {
        throw Diagnostics::logAndReturnError(RoboticsError::notConnected({MotorPosition::allMotors}));
    }
    // The robot holds the port for as long as it is stored.
    return *port;
}

void DropwrightProto::send(std::string_view command, MotorPosition motor) {
    SerialPort& port = link();
    try {
        Proto::sendCommand(command, motor, port);
    } catch (const CommunicationsError& error) {
        throw Proto::convertedError(error);
    }
}

void DropwrightProto::sendUnconverted(std::string_view command, MotorPosition motor) {
    Proto::sendCommand(command, motor, link());
}

std::string DropwrightProto::query(std::string_view command, MotorPosition motor) {
    return Proto::commandResponse(command, motor, 0, true, link());
}

} // namespace Dotfield
