#pragma once
// The generation-II positioner on SmartMotor servo motors, one per axis, on
// one serial link (see SmartMotor/AnimaticsCommands.hpp for the frames). It
// moves, halts, reports position and motion, homes with the motors' stored
// homing programs, and sends speeds and the motors' filter (PID and feed-
// forward) values. DropwrightIIb derives from it; what differs between the
// older and the newer motors comes from the row of DropwrightIIaModelTable.hpp
// for the robot's exact model.
//
// Every operation needs the link open: without it, it throws notConnected
// {allMotors} and sends nothing. Values the motors take as 32-bit integers
// (targets, speeds, gains) that are not finite or do not fit are refused with
// abortedDuringMove before anything is sent.
//
// Threads: like every robot, run its operations on the robot queue.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIaModelTable.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/Robotics/TuningValues.hpp"

namespace Dotfield {

class DropwrightIIa : public Robot {
  public:
    // The link of the generation-II positioners.
    static constexpr const char* portName = "Dual RS232 B";
    static constexpr std::uint32_t initialBaudRate = 9600;
    static constexpr std::uint32_t workingBaudRate = 38400;
    // The longest a homing wait may take before the axes are halted (s).
    static constexpr double homingTimeLimit = 120.0;
    static constexpr std::int64_t contourModeValue = 7;

    // The sleeper takes the pauses of homing and of the tuning update.
    DropwrightIIa(ConstructionKey key, std::shared_ptr<UserDefaults> userDefaults,
                  std::shared_ptr<Clock> clock = systemClock(), std::shared_ptr<Sleeper> sleeper = systemSleeper());

    // ---- Model constants ----------------------------------------------------

    double defaultSafePickupHeight() const override;
    Coordinate rangeOfMotion() const override;
    Coordinate maximumMotorPosition() const override;
    double motorScaleFactor() const override;
    Coordinate offsetForA1WellOfPlateNumber(std::uint64_t plateNumber) override;
    // The row of the robot's exact model.
    const SmartMotorModelRow& modelRow() const;

    // ---- Link -------------------------------------------------------------------

    // Opens at 9600 baud, tells the motors to switch to 38400, opens again at
    // 38400 and returns any motor stuck in contour mode to position mode.
    // Throws CommunicationsError.failedStatusCheck, with the link closed.
    std::shared_ptr<SerialPort> retrieveSerialPort(const SerialPortOpener& openSerialPort) override;
    void disconnectFromSerialPort() override;

    // ---- Motion -------------------------------------------------------------------

    void moveMotor(MotorPosition motor, double toPosition) override;
    void moveXandYMotorsToPosition(double xPosition, double yPosition) override;
    void haltMovement() override;
    Coordinate readCurrentPosition() override;
    AxisFlags checkIfAxesAreMoving(bool x, bool y, bool z, bool isHoming) override;
    void clearPositionerErrorForMotor(MotorPosition motor) override;
    bool needsToHome() override;
    Coordinate home() override;

    // ---- Contoured drawing ----------------------------------------------------------

    // One contour from the current position to the target (nothing for 1 µm or
    // less), at the pattern-printing speeds of the leading axis unless
    // overridden, its points following the map's surface. No speed command is
    // sent. Throws RoboticsError (a failed exchange converted).
    void drawLineToCoordinate(const Coordinate& coordinate, const std::shared_ptr<SurfaceTopographyMap>& topographyMap,
                              std::optional<double> overrideVelocity,
                              std::optional<double> overrideAcceleration) override;
    // One contour around the arc placed as the pattern is (scaled, turned,
    // anchored), each point raised by the map's height, or by the surface
    // cant where the map has none, at the X pattern-printing speeds unless
    // overridden. Throws as the line.
    void drawArc(const Zovudidova::Angle& from, const Zovudidova::Angle& to, const Coordinate& centerPoint,
                 double radius, VeltranePatterns::RotationalDirection direction, const Coordinate& patternStart,
                 const SurfaceCant& surfaceCant, double scaleFactor, const Zovudidova::Angle& rotation,
                 const std::shared_ptr<SurfaceTopographyMap>& topographyMap, std::optional<double> overrideVelocity,
                 std::optional<double> overrideAcceleration) override;

    // ---- Speeds and tuning --------------------------------------------------------------

    void setVelocity(double velocity, MotorPosition motor) override;
    void setAcceleration(double acceleration, MotorPosition motor) override;
    void updateMotorTuningParameters() override;

    double convertPositionToMotorCoordinateSpaceInX(double position) override;
    double convertPositionToMotorCoordinateSpaceInY(double position) override;
    double convertPositionToMotorCoordinateSpaceInZ(double position) override;

    // ---- The model's own operations -------------------------------------------------------

    virtual bool usesNewAnimaticsMotors() const { return false; }
    // Whether the motor moves. Outside homing an error bit gets one recovery
    // ("ZS"); one that stays halts every axis and throws hitObstruction.
    // Throws a failed exchange as its CommunicationsError.
    virtual bool checkIfAnimaticsMotorIsMoving(MotorPosition motor, bool isHoming);
    // Free places in the motor's contour buffer ("Q"). Throws
    // CommunicationsError, or RoboticsError for a stalled or failed contour.
    virtual std::uint8_t availableBufferSpaceOnMotor(MotorPosition motor);
    struct BufferSpace {
        std::optional<std::uint8_t> x, y, z;
    };
    virtual BufferSpace availableBufferSpaceOnAxes(bool x, bool y, bool z);
    // The value's four two's-complement bytes, most significant first.
    virtual std::vector<std::uint8_t> bytesForInt32(std::int32_t value) const;
    virtual void setProportionalGain(double gain, MotorPosition motor);
    virtual void setIntegralGain(double gain, MotorPosition motor);
    virtual void setDerivativeGain(double gain, MotorPosition motor);
    virtual void setIntegralLimit(double limit, MotorPosition motor);
    virtual void setVelocityFeedforward(double gain, MotorPosition motor);
    virtual void setAccelerationFeedforward(double gain, MotorPosition motor);
    // "F": the motor takes its new filter values.
    virtual void updatePIDFilterForMotor(MotorPosition motor);

    // ---- Tuning values (x, y, z) --------------------------------------------------------------

    double delayForPIDValuesToSettle = 0.5;
    double delayForHomeValues = 0.5;
    // In this order: proportional gain, integral gain, derivative gain,
    // integral limit, velocity feed-forward, acceleration feed-forward.
    TuningValues& tuningValues() { return tuningValues_; }
    TunableValues* tunableValues() override { return &tuningValues_; }
    const TuningValues& tuningValues() const { return tuningValues_; }
    AxisValues proportionalGain() const { return tuningValues_.value(0); }
    AxisValues integralGain() const { return tuningValues_.value(1); }
    AxisValues derivativeGain() const { return tuningValues_.value(2); }
    AxisValues integralLimit() const { return tuningValues_.value(3); }
    AxisValues velocityFeedforward() const { return tuningValues_.value(4); }
    AxisValues accelerationFeedforward() const { return tuningValues_.value(5); }

  protected:
    // The open link; notConnected {allMotors} without one.
    SerialPort& link() const;
    // One command with its echo; a failure converted.
    void send(std::string_view command, MotorPosition motor);
    // The command followed by "=" and the value.
    void sendValue(std::string_view command, std::int64_t value, MotorPosition motor);
    // The command, its echo and its text reply (cleaned), tried twice as a
    // whole. Throws CommunicationsError.
    std::string queryText(std::string_view command, MotorPosition motor);
    // The reply's leading integer; a reply without one is a corrupted response
    // (and tried again). Throws CommunicationsError.
    std::int64_t queryInteger(std::string_view command, MotorPosition motor);
    static std::int64_t queryInteger(SerialPort& port, std::string_view command, MotorPosition motor);
    // The command, its echo and exactly byteCount reply bytes, tried twice as a
    // whole. Throws CommunicationsError.
    std::vector<std::uint8_t> queryBytes(std::string_view command, MotorPosition motor, std::size_t byteCount);
    void pause(double seconds);
    void sendGain(std::string_view command, double value, MotorPosition motor);

  private:
    // Streams contours over the link, with the robot's sleeper and clock.
    friend class AnimaticsContourStream;

    // Waits for the homing axes, at most homingTimeLimit; past it, halts and
    // throws abortedDuringMove.
    void waitForHoming(bool x, bool y, bool z);

    const std::shared_ptr<Sleeper> sleeper_;
    TuningValues tuningValues_;
};

} // namespace Dotfield
