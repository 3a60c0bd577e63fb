#include "Dotfield/Robotics/RobotConnection.hpp"

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

using Diagnostics::SourceLocation;

constexpr const char* functionName = "initializeConnectionToRobot";

RoboticsError logged(RoboticsError error, const SourceLocation& location = SourceLocation::current()) {
    return Diagnostics::logAndReturnError(
        std::move(error), SourceLocation::current(location.file_name(), location.line(), functionName));
}

std::shared_ptr<SerialPort> openWithProperties(const SerialPortProperties& properties) {
    return openSerialPort(properties.portName, properties.baudRate, properties.evenParity);
}

void connect(Robot& robot, const Robot::SerialPortOpener& opener) {
    std::shared_ptr<SerialPort> port;
    try {
        port = robot.retrieveSerialPort(opener ? opener : Robot::SerialPortOpener(openWithProperties));
    } catch (const RoboticsError& error) {
        // A model that knows which axes failed says so; keep its set.
        if (error.kind() == RoboticsError::Kind::notConnected) {
            throw;
        }
        throw logged(RoboticsError::notConnected({MotorPosition::allMotors}));
    } catch (...) {
        throw logged(RoboticsError::notConnected({MotorPosition::allMotors}));
    }
    robot.setSerialPort(std::move(port));

    robot.readAndStoreCurrentPosition();

    // The link and the position stay: homing needs both.
    if (robot.needsToHome()) {
        throw logged(RoboticsError(RoboticsError::Kind::needsToHome));
    }
    robot.useManualPositioningMovementParameters();
}

} // namespace

void initializeConnectionToRobot(Robot& robot, const Robot::SerialPortOpener& openSerialPort) {
    // Every exchange with the controllers belongs on the robot queue; called
    // there (a reconnection) this runs directly.
    performOnQueueSync([&] { connect(robot, openSerialPort); }, robot);
}

} // namespace Dotfield
