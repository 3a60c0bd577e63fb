#pragma once
// What the preferences window edits, without the window: the robot's speeds
// and accelerations, its pattern pickup distance and safe pickup height, the
// two surface-finding switches, and (through TuningValuesModel) the tuning
// values of its model.
//
// Every accepted value goes at once into the live robot and into the robot's
// settings store, so it holds without a restart. A speed or acceleration is
// written on the robot's queue, behind the motion queued before it, as a
// whole triple; a manual one is also sent to its motor there, and a failed
// command reaches the error handler on the main thread (the stored value
// stays). A refused value changes nothing: the caller shows the value in
// force again.
//
// Threads: main thread; speed edits run on the robot's queue.

#include <exception>
#include <functional>
#include <memory>
#include <optional>

#include "Dotfield/Application/Preferences/TuningValuesModel.hpp"
#include "Dotfield/Instrument/Axes/MotorPosition.hpp"

namespace Dotfield {

class Robot;

// The robot's speed and acceleration triples the window edits.
enum class SpeedRow { manualVelocity, manualAcceleration, printingVelocity, printingAcceleration };

class PreferencesWindowModel {
  public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    // The robot must exist.
    explicit PreferencesWindowModel(std::shared_ptr<Robot> robot);

    // ---- Motor speeds -------------------------------------------------------------

    // One axis of the row's triple as the robot holds it.
    double speed(SpeedRow row, MotorPosition motor) const;
    // Takes a finite value above zero (zero would stall the axis) for that
    // axis of the row: queued on the robot's queue, where the robot's triple
    // changes in that axis, the whole triple is stored under the row's key in
    // per-axis form, and a manual speed or acceleration goes to the motor. A
    // failed command goes to `onFailure` on the main thread. False for a
    // refused value.
    bool setSpeed(SpeedRow row, MotorPosition motor, double value, ErrorHandler onFailure);

    // ---- Safety values ------------------------------------------------------------

    double patternPickupDistance() const;
    // Takes a finite distance of zero or more; false otherwise.
    bool setPatternPickupDistance(double distance);

    std::optional<double> safePickupHeight() const;
    // Stores a finite height, raised to the model's default safe pickup
    // height when it is below it, and answers what is stored; nothing for
    // any other height.
    std::optional<double> setSafePickupHeight(double height);
    // The same with the z of the robot's last known position (the positioner
    // is not asked).
    std::optional<double> useCurrentPositionForSafePickupHeight();

    bool shouldUseSlowApproachDuringSurfaceFinding() const;
    void setShouldUseSlowApproachDuringSurfaceFinding(bool on);
    bool shouldResetSavedHeightsOnDispenserDisconnection() const;
    void setShouldResetSavedHeightsOnDispenserDisconnection(bool on);

    // ---- Readiness and tuning ---------------------------------------------------------

    // Tells `observer` whether the robot is ready to move at each of its busy
    // and idle notifications from now on, for as long as the robot lives;
    // ready once the work queued before this has run. Called on the main thread.
    void observeReadiness(std::function<void(bool ready)> observer);

    TuningValuesModel& tuning() { return tuning_; }
    const TuningValuesModel& tuning() const { return tuning_; }

  private:
    std::shared_ptr<Robot> robot_;
    TuningValuesModel tuning_;
};

} // namespace Dotfield
