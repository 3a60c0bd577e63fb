#pragma once
// The prototype positioner: three closed-loop stepper controllers, one per
// axis, on the link "Dual RS232 B" at 115200 baud (see Proto/ProtoCommands.hpp
// for the frames). It moves one axis or X and Y together, halts, reports
// position, motion and faults, clears an axis fault, tells whether it must be
// homed, homes by reference runs onto the limit and home switches, and sends
// speeds and the closed-loop gains.
//
// Counts and microns, with offset = offsetFromHomePositionToLimit:
//   X  counts = (x + offset.x) / 0.78125
//   Y  counts = −(y + offset.y) / 0.78125
//   Z  counts = 576000 − (z + offset.z) / 0.15625  (576000 counts: 90000 µm)
//
// Every operation needs the link open: without it, it throws notConnected
// {allMotors} and sends nothing. A value that is not finite or does not fit
// a signed 64-bit integer (a target, speed, gain) is refused with
// abortedDuringMove before anything is sent.
//
// Threads: like every robot, run its operations on the robot queue. The
// homing waits read and clear movementAborted, which the main thread sets.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/Robotics/TuningValues.hpp"

namespace Dotfield {

class DropwrightProto : public Robot {
  public:
    static constexpr const char* portName = "Dual RS232 B";
    static constexpr std::uint32_t baudRate = 115200;
    // The Z travel in counts (90000 µm).
    static constexpr double zTravelInCounts = 576000.0;
    // The longest a reference run's status poll is kept up (s); past it the
    // axes are halted.
    static constexpr double referenceRunTimeLimit = 120.0;
    // The first run of X and Y onto their home switches; an axis still
    // running after it is reversed (s).
    static constexpr double firstHomeRunTimeLimit = 10.0;
    static constexpr double zReferenceVelocity = 4000.0;   // µm/s
    static constexpr double xyReferenceVelocity = 10000.0; // µm/s
    static constexpr double platePitch = 168300.0;         // µm along Y

    // The clock times the homing waits.
    DropwrightProto(ConstructionKey key, std::shared_ptr<UserDefaults> userDefaults,
                    std::shared_ptr<Clock> clock = systemClock());

    // ---- Model constants ----------------------------------------------------

    double defaultSafePickupHeight() const override;
    Coordinate rangeOfMotion() const override;
    Coordinate maximumMotorPosition() const override;
    // Z's microns per count, so that the home-to-limit offset is in microns.
    double motorScaleFactor() const override;
    Coordinate offsetForA1WellOfPlateNumber(std::uint64_t plateNumber) override;

    // ---- Link -------------------------------------------------------------------

    // Opens the link, keeps it as the robot's port and sets the controllers
    // up. Controllers that did not answer are reported as notConnected with
    // their axes; any other failure is CommunicationsError.failedStatusCheck.
    // The port stays stored when the set-up fails.
    std::shared_ptr<SerialPort> retrieveSerialPort(const SerialPortOpener& openSerialPort) override;
    void disconnectFromSerialPort() override;
    // The set-up list of the controllers.
    virtual void configureControllers();

    // ---- Motion -------------------------------------------------------------------

    // Target in counts, limited to the travel; "s" then "A" to the axis.
    void moveMotor(MotorPosition motor, double toPosition) override;
    // Both targets limited to the travel; "s" X, "s" Y, "A" X, "A" Y.
    void moveXandYMotorsToPosition(double xPosition, double yPosition) override;
    // "S" to X, Y, Z.
    void haltMovement() override;
    // The counts of X, Y, Z.
    virtual Coordinate readRawCurrentPosition();
    Coordinate readCurrentPosition() override;
    // A status read is tried twice. A fault outside homing halts every axis,
    // clears the axis and throws hitObstruction; a failed read is
    // corruptedCommunications.
    AxisFlags checkIfAxesAreMoving(bool x, bool y, bool z, bool isHoming) override;
    // Reads the axis's count and sends it back with "D".
    void clearPositionerErrorForMotor(MotorPosition motor) override;
    // Asks X, Y, Z in turn; the first that is not referenced answers true.
    bool needsToHome() override;
    Coordinate home() override;

    // ---- Speeds and tuning --------------------------------------------------------------

    void setVelocity(double velocity, MotorPosition motor) override;
    void setAcceleration(double acceleration, MotorPosition motor) override;
    // The whole counts per second of "o" and the bounded ramp of "b".
    double attainedVelocity(double velocity, MotorPosition motor) const override;
    double attainedAcceleration(double acceleration, MotorPosition motor) const override;
    virtual void setProportionalGain(double gain, MotorPosition motor);
    virtual void setIntegralGain(double gain, MotorPosition motor);
    virtual void setDerivativeGain(double gain, MotorPosition motor);
    virtual void setCascadingProportionalGain(double gain, MotorPosition motor);
    virtual void setCascadingIntegralGain(double gain, MotorPosition motor);
    virtual void setCascadingDerivativeGain(double gain, MotorPosition motor);
    // The six gains of X, Y and Z, then the bare velocity-loop commands of
    // each. Every gain is checked before the first is sent.
    void updateMotorTuningParameters() override;

    double convertPositionToMotorCoordinateSpaceInX(double position) override;
    double convertPositionToMotorCoordinateSpaceInY(double position) override;
    double convertPositionToMotorCoordinateSpaceInZ(double position) override;

    // ---- Closed-loop gains (x, y, z) ---------------------------------------------------

    // In this order: position-mode proportional, integral and derivative
    // gains, then the cascading proportional, integral and derivative gains.
    TuningValues& tuningValues() { return tuningValues_; }
    TunableValues* tunableValues() override { return &tuningValues_; }
    const TuningValues& tuningValues() const { return tuningValues_; }
    AxisValues proportionalGain() const { return tuningValues_.value(0); }
    AxisValues integralGain() const { return tuningValues_.value(1); }
    AxisValues derivativeGain() const { return tuningValues_.value(2); }
    AxisValues cascadingProportionalGain() const { return tuningValues_.value(3); }
    AxisValues cascadingIntegralGain() const { return tuningValues_.value(4); }
    AxisValues cascadingDerivativeGain() const { return tuningValues_.value(5); }

  protected:
    // The open link; notConnected {allMotors} without one.
    SerialPort& link() const;
    // One command; a failed exchange converted to RoboticsError.
    void send(std::string_view command, MotorPosition motor);
    // One command; a failed exchange thrown as the serial layer raised it.
    void sendUnconverted(std::string_view command, MotorPosition motor);
    // The reply up to its CR, sanitised. Throws CommunicationsError.
    std::string query(std::string_view command, MotorPosition motor);

  private:
    void sendGain(std::string_view command, double gain, MotorPosition motor);
    // Polls the status of each chosen axis in turn until its reference run has
    // ended, then stops it and zeroes its count ("S", "D0"). Finding
    // movementAborted set, it halts, publishes the position read back and
    // throws abortedDuringMove; past referenceRunTimeLimit it halts and throws
    // abortedDuringMove.
    void awaitReferenceRuns(bool x, bool y, bool z);
    // The first run of X and Y onto their home switches, reversing an axis
    // still running after firstHomeRunTimeLimit.
    void runXandYOntoHomeSwitches();

    TuningValues tuningValues_;
    // The Z target last sent, while Z is known to stand at it or to be on its
    // way there: the start of an X and Y move goes to every controller at
    // once, Z included, and Z must take it as a start to where it is going.
    std::optional<std::int64_t> zTarget_;
};

} // namespace Dotfield
