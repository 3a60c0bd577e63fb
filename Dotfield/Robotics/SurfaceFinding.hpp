#pragma once
// Finding the surface with the dispenser tip: the electronics classify the
// tip's impedance, and the dispenser is lowered in small steps until two
// samples (or a third that breaks a tie) say it touches the surface, then,
// when asked, raised in small steps until they say it is off the surface
// again. It is the one height reference of the system.
//
// Runs on the robot queue; every sample runs on the electronics queue while
// the caller waits. The status poll is suspended for the whole run and resumed
// exactly once however the run ends.

#include <functional>

#include "Dotfield/Instrument/DispenserStatus/DispenserConnectionStatus.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class Electronics;
class RepeatingTimer;
class Robot;

// What surface finding reads of the dispenser electronics.
class DispenserSensing {
  public:
    virtual ~DispenserSensing() = default;
    // One statistics-updating status check, answered when it has run on the
    // electronics queue. Throws the electronics' errors.
    virtual DispenserConnectionStatus checkDispenserStatus() = 0;
    // Whether the dispenser reads miscalibrated (or on the surface) twice in
    // a row, without updating the statistics. Throws the electronics' errors.
    virtual bool dispenserIsMiscalibrated() = 0;
    // The status poll that must not run while the surface is being found.
    virtual RepeatingTimer& statusPollTimer() = 0;
};

// The sensing of the application's electronics object.
class ElectronicsDispenserSensing final : public DispenserSensing {
  public:
    explicit ElectronicsDispenserSensing(Electronics& electronics) : electronics_(electronics) {}
    DispenserConnectionStatus checkDispenserStatus() override;
    bool dispenserIsMiscalibrated() override;
    RepeatingTimer& statusPollTimer() override;

  private:
    Electronics& electronics_;
};

// How far (µm) a dispenser that reads miscalibrated is raised before the run.
inline constexpr double miscalibrationRaise = 200.0;
// How often one sample is taken again while it reads miscalibrated.
inline constexpr int maximumMiscalibratedResamples = 50;
// How often a run that retracts past its start height begins again from there.
inline constexpr int maximumSurfaceFindingRestarts = 3;

// Lowers the dispenser by the approach step until it touches the surface; with
// shouldStepOffSurface, raises it by the retraction step until it is off the
// surface again. Answers the position reached. A dispenser that reads
// miscalibrated is first raised by miscalibrationRaise and, when it still does,
// recalibrated with the operation. Throws RoboticsError.abortedDuringMove for a
// step that is not a positive finite number (before anything moves), a step
// that would leave the robot's travel, an open or shorted dispenser, a sample
// that stays miscalibrated and too many restarts; other errors of the samples
// and moves pass unchanged.
VeltranePatterns::Coordinate
findSurfaceWithApproachStepSize(double approachStepSize, double retractionStepSize, bool shouldStepOffSurface,
                                Robot& robot, DispenserSensing& sensing,
                                const std::function<void()>& recalibrationOperation);
VeltranePatterns::Coordinate
findSurfaceWithApproachStepSize(double approachStepSize, double retractionStepSize, bool shouldStepOffSurface,
                                Robot& robot, Electronics& electronics,
                                const std::function<void()>& recalibrationOperation);

// When the dispenser reads miscalibrated, raises it by the distance (refused
// with RoboticsError.abortedDuringMove when that leaves the robot's travel)
// and answers whether it still does; otherwise answers false without moving.
bool raiseIfDispenserMiscalibrated(double distance, Robot& robot, DispenserSensing& sensing);
bool raiseIfDispenserMiscalibrated(double distance, Robot& robot, Electronics& electronics);

} // namespace Dotfield
