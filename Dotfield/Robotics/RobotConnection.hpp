#pragma once
// Bringing a robot into service: its link, its position, the homing test and
// the manual movement parameters.

#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

// Runs on the robot queue (directly when called there, else after the work
// queued before it, blocking the caller).
// Opens the model's link with the given operation (openSerialPort when none is
// given) and stores it, reads and stores the position (telling the position
// observer), then applies the manual movement parameters.
// Throws RoboticsError.notConnected when the link cannot be had (with the
// model's axes when it names them, else allMotors alone);
// RoboticsError.needsToHome, keeping the link and the position, when the
// positioner must be homed first; the errors of the position read, the homing
// test and the speed commands unchanged.
void initializeConnectionToRobot(Robot& robot, const Robot::SerialPortOpener& openSerialPort = {});

} // namespace Dotfield
