#pragma once
// A robot model for tests that drives the simulated instrument's generic
// positioner (simulators/instrument/Positioners/Generic) over the dual
// adapter's interface B at 57600 baud, so the robot's own operations run on
// the real path: serial link, driver library, simulated bus, peer, world.
//
// Its motor coordinates are microns (every conversion is the identity) and
// its travel is the generic positioner's: 300000 × 300000 × 90000 µm.
// Commands are written by this model's own encoder; the peer decodes them by
// its own reading of the protocol.

#include <memory>
#include <string>
#include <string_view>

#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield::testing {

class GenericPositionerRobot final : public Robot {
  public:
    static SerialPortProperties linkProperties() { return {"Dual RS232 B", 57600, false}; }

    GenericPositionerRobot(ConstructionKey key, std::shared_ptr<UserDefaults> userDefaults);

    Coordinate rangeOfMotion() const override;
    Coordinate maximumMotorPosition() const override;

    std::shared_ptr<SerialPort> retrieveSerialPort(const SerialPortOpener& openSerialPort) override;
    void disconnectFromSerialPort() override;

    void moveMotor(MotorPosition motor, double toPosition) override;
    void moveXandYMotorsToPosition(double xPosition, double yPosition) override;
    void haltMovement() override;
    Coordinate readCurrentPosition() override;
    // A faulted axis raises RoboticsError.hitObstruction.
    AxisFlags checkIfAxesAreMoving(bool x, bool y, bool z, bool isHoming) override;
    void clearPositionerErrorForMotor(MotorPosition motor) override;
    bool needsToHome() override;
    // Homes every axis, waits for them and answers the position read then.
    Coordinate home() override;

    void setVelocity(double velocity, MotorPosition motor) override;
    void setAcceleration(double acceleration, MotorPosition motor) override;
    // The generic positioner has no tuning.
    void updateMotorTuningParameters() override {}

    double convertPositionToMotorCoordinateSpaceInX(double position) override { return position; }
    double convertPositionToMotorCoordinateSpaceInY(double position) override { return position; }
    double convertPositionToMotorCoordinateSpaceInZ(double position) override { return position; }
    Coordinate offsetForA1WellOfPlateNumber(std::uint64_t plateNumber) override;

  private:
    // Sends one command line and answers the reply line without its carriage
    // return. A failed exchange is converted as the robots convert them; an
    // error reply raises hitObstruction (a faulted axis), needsToHome (an
    // unhomed one) or corruptedCommunications (anything else).
    std::string exchange(const std::string& command);
    // Sends a command whose only good reply is "OK".
    void command(const std::string& command);
};

} // namespace Dotfield::testing
