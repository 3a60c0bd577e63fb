#pragma once
// The Desktop positioner: three axes on one Gilson-protocol XYZ controller
// (see Gilson/GilsonCommands.hpp) on the link "Dual RS232 B" at 19200 baud,
// even parity, as unit 20. The controller works in millimetres, so every
// motor coordinate is microns / 1000. Velocities are not sent when set: they
// travel inside each move command.
//
// Backlash: a target approached in the positive direction is overshot by the
// axis's correction ("backlashCorrection", per-axis form). The correction
// included in each axis's last target is remembered ("backlashCorrectionFor-
// LastMove", dictionary form, written whole on every change, so it survives a
// restart) and subtracted again when the position is read. Before a line that
// moves two or three axes, the axes take up their backlash towards the line.
//
// The controller cannot be stopped: halting waits (at most haltTimeLimit)
// until every axis stands, so the position read after an abort is where the
// axes came to rest. The homing and take-up waits are bounded likewise.
//
// Every controller operation needs the link open: without it, it throws
// notConnected {allMotors} and sends nothing. Targets, accelerations and
// power levels that are not finite (or do not fit 64 bits once rounded) are
// refused with abortedDuringMove before anything is sent.
//
// Threads: like every robot, run its operations on the robot queue; the
// fields behind accessors may be read from any thread.

#include <cstdint>
#include <memory>
#include <mutex>
#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Robotics/Models/DesktopBacklashTuning.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Diagnostics/SourceLocation.hpp"

namespace Dotfield {

class DropwrightDesktop : public Robot {
  public:
    static constexpr std::uint8_t unitID = 20;
    static constexpr const char* backlashCorrectionKey = "backlashCorrection";
    static constexpr const char* backlashCorrectionForLastMoveKey = "backlashCorrectionForLastMove";
    static constexpr const char* hasNewFirewireCableKey = "hasNewFirewireCable";
    static constexpr const char* zAxisPowerLevelKey = "zAxisPowerLevel";
    // The longest the halt, the homing and the take-up waits last (s).
    static constexpr double haltTimeLimit = 120.0;
    static constexpr double waitTimeLimit = 120.0;
    // A single-axis move shorter than this (mm) is not sent.
    static constexpr double deadBand = 0.001;
    // Y distance between the A1 wells of neighbouring plates (µm).
    static constexpr double platePitch = 139160.0;

    // The clock bounds the waits; the sleeper takes the selection's pauses.
    DropwrightDesktop(ConstructionKey key, std::shared_ptr<UserDefaults> userDefaults,
                      std::shared_ptr<Clock> clock = systemClock(),
                      std::shared_ptr<Sleeper> sleeper = systemSleeper());

    // ---- Model constants ------------------------------------------------------

    double defaultSafePickupHeight() const override;
    // (0, 0, h − 53600) and (387000 with "hasNewFirewireCable" true, else
    // 306000; 293000; h), h the stored home position's Z or else the safe
    // pickup height; the setting is read at every call.
    Coordinate minimumMotorPosition() const override;
    Coordinate maximumMotorPosition() const override;
    double surfaceApproachStepSize() const override;
    double slowSurfaceApproachStepSize() const override;
    double surfaceRetractionStepSize() const override;
    Coordinate homeToLimitOffsetInMicrons() const override;
    Coordinate offsetForA1WellOfPlateNumber(std::uint64_t plateNumber) override;

    double convertPositionToMotorCoordinateSpaceInX(double position) override;
    double convertPositionToMotorCoordinateSpaceInY(double position) override;
    double convertPositionToMotorCoordinateSpaceInZ(double position) override;

    // ---- Link -------------------------------------------------------------------

    // Opens the link and selects the controller; a failed selection gets 0xFF
    // and one more selection. Every failure is CommunicationsError.
    // failedStatusCheck, with the link closed again.
    std::shared_ptr<SerialPort> retrieveSerialPort(const SerialPortOpener& openSerialPort) override;
    // Deselects the controller (0xFF) and closes the link; a failed deselect
    // is thrown after the link is closed.
    void disconnectFromSerialPort() override;

    // ---- Motion (targets in mm) -------------------------------------------------------

    void moveMotor(MotorPosition motor, double toPosition) override;
    void moveXandYMotorsToPosition(double xPosition, double yPosition) override;
    // Waits until the controller reports every axis standing; never throws.
    void haltMovement() override;
    Coordinate readCurrentPosition() override;
    // All three axes from one "M" query; the arguments are not used.
    AxisFlags checkIfAxesAreMoving(bool x, bool y, bool z, bool isHoming) override;
    // "e", whatever the axis; communication errors pass unchanged.
    void clearPositionerErrorForMotor(MotorPosition motor) override;
    // Backlash take-up towards the line, a wait, then the base line.
    void drawLineToCoordinate(const Coordinate& coordinate,
                              const std::shared_ptr<SurfaceTopographyMap>& topographyMap,
                              std::optional<double> overrideVelocity,
                              std::optional<double> overrideAcceleration) override;
    bool needsToHome() override;
    Coordinate home() override;

    // ---- Speeds and tuning --------------------------------------------------------------

    // Stored; the next move of the axis carries it.
    void setVelocity(double velocity, MotorPosition motor) override;
    // "@13=", "@14=", "@15=" with round(acceleration × 3).
    void setAcceleration(double acceleration, MotorPosition motor) override;
    // Move commands carry whole µm/s, at least the controller's slowest speed.
    double attainedVelocity(double velocity, MotorPosition motor) const override;
    // "@12=2000" and "@1=" with the rounded "zAxisPowerLevel", when it is
    // stored and lies strictly between 0 and 100.
    void updateMotorTuningParameters() override;

    // ---- The model's own operations ---------------------------------------------------------

    // The target (mm) with the axis's correction added when it moves in the
    // positive direction; records the correction included (or 0) and stores
    // the whole record. allMotors stops the program.
    virtual double backlashCorrectionForMove(double target, MotorPosition motor, bool movingInPositiveDirection);
    // The corrected target limited to the travel, sent as a Z move, or as an X
    // and Y move whose other axis goes to the position the controller reports.
    virtual void moveMotorAccountingForBacklash(MotorPosition motor, double toPosition,
                                                bool movingInPositiveDirection);
    virtual void moveXandYMotorsToPositionAccountingForBacklash(std::pair<double, double> position,
                                                                std::pair<bool, bool> movingInPositiveDirection);
    // The controller's own positions in mm. Throw CommunicationsError.
    virtual std::pair<double, double> readRawXYPosition();
    virtual double readRawZPosition();

    // ---- Fields ---------------------------------------------------------------------------

    // The velocities the next move commands carry (µm/s); the manual
    // velocities until one is set.
    AxisValues currentVelocities() const;
    // µm per axis. The preferences change the field (and store the setting).
    AxisValues backlashCorrection() const;
    void setBacklashCorrection(const AxisValues& correction);
    AxisValues backlashCorrectionForLastMove() const;
    // The backlash correction as the model's one tuning value.
    TunableValues* tunableValues() override { return &backlashTuning_; }

  private:
    // A failed exchange as the operator sees it: a wrong byte count or a
    // corrupted reply is corruptedCommunications, a failed status check or a
    // silence notConnected {allMotors}; logged under the operation's name.
    static RoboticsError translated(const CommunicationsError& error, const char* function,
                                    const Diagnostics::SourceLocation& location =
                                        Diagnostics::SourceLocation::current());
    // The open link; notConnected {allMotors} without one.
    SerialPort& link() const;
    // The buffered command; a failed exchange converted, named after the function.
    void sendBuffered(std::string_view command, const char* function);
    // The reply to the immediate command. Throws CommunicationsError.
    std::string queryImmediate(std::string_view command);
    // The Z height the travel is measured from.
    double homeHeight() const;
    void storeLastMoveCorrection(const AxisValues& record);
    // The polls of the halt, homing and take-up waits.
    void waitForAxesToStand(bool isHoming);

    const std::shared_ptr<Sleeper> sleeper_;

    mutable std::mutex fieldsMutex_;
    mutable std::optional<AxisValues> currentVelocities_;
    // Where each axis was last sent (mm, before the backlash correction), while
    // it is known to be there or on its way: a move within the dead band of
    // that is not sent again (the direction of a move still counts from the
    // robot's position). Measured from the robot's position instead, a
    // run of moves each within the dead band (a tilted line's small Z steps)
    // would never be sent while the robot believed them made.
    std::array<std::optional<double>, 3> sentTargets_{};
    // The dead band's reference for the axis: its last target, else where
    // the robot stands (mm).
    double deadBandReference(MotorPosition motor) const;
    AxisValues backlashCorrection_;
    AxisValues backlashCorrectionForLastMove_;
    DesktopBacklashTuning backlashTuning_{*this};
};

} // namespace Dotfield
