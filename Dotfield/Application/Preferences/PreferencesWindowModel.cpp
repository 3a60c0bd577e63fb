#include "Dotfield/Application/Preferences/PreferencesWindowModel.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/AxisComponents.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

namespace {

// A row's robot triple, its per-axis key, and the command that applies one
// axis at once (none for the automated values).
struct SpeedAccess {
    const char* key;
    AxisValues (Robot::*get)() const;
    void (Robot::*set)(const AxisValues&);
    void (Robot::*send)(double, MotorPosition);
};

const SpeedAccess& access(SpeedRow row) {
    static const std::array<SpeedAccess, 4> rows{{
        {"manualMovementVelocity", &Robot::manualPositioningVelocities, &Robot::setManualPositioningVelocities,
         &Robot::setVelocity},
        {"manualMovementAcceleration", &Robot::manualPositioningAccelerations,
         &Robot::setManualPositioningAccelerations, &Robot::setAcceleration},
        {"automatedMovementVelocity", &Robot::patternPrintingVelocities, &Robot::setPatternPrintingVelocities,
         nullptr},
        {"automatedMovementAcceleration", &Robot::patternPrintingAccelerations,
         &Robot::setPatternPrintingAccelerations, nullptr},
    }};
    return rows[static_cast<std::size_t>(row)];
}

constexpr const char* patternPickupDistanceKey = "patternPickupDistance";
constexpr const char* safePickupHeightKey = "safePickupHeight";
constexpr const char* slowSurfaceApproachKey = "shouldSlowSurfaceApproach";
constexpr const char* resetSavedHeightsKey = "shouldResetSavedPositionHeightsOnNewDispenserConnection";

} // namespace

PreferencesWindowModel::PreferencesWindowModel(std::shared_ptr<Robot> robot)
    : robot_(std::move(robot)), tuning_(robot_) {}

// ---- Motor speeds ---------------------------------------------------------------------------

double PreferencesWindowModel::speed(SpeedRow row, MotorPosition motor) const {
    return axisComponent((robot_.get()->*access(row).get)(), motor);
}

bool PreferencesWindowModel::setSpeed(SpeedRow row, MotorPosition motor, double value, ErrorHandler onFailure) {
    if (!std::isfinite(value) || !(value > 0.0)) {
        return false;
    }
    const SpeedAccess& edited = access(row);
    robot_->runOnRoboticsQueue([robot = robot_, &edited, motor, value, onFailure = std::move(onFailure)] {
        const AxisValues triple = replacingAxisComponent((robot.get()->*edited.get)(), motor, value);
        (robot.get()->*edited.set)(triple);
        robot->userDefaults()->setAxisValues(triple, edited.key, true);
        if (!edited.send) {
            return;
        }
        try {
            (robot.get()->*edited.send)(value, motor);
        } catch (...) {
            // Reported from the main thread, so that the alert does not hold the robot's queue.
            if (onFailure) {
                MainQueue::main().async([onFailure, error = std::current_exception()] { onFailure(error); });
            }
        }
    });
    return true;
}

// ---- Safety values --------------------------------------------------------------------------

double PreferencesWindowModel::patternPickupDistance() const {
    return robot_->patternPickupDistance();
}

bool PreferencesWindowModel::setPatternPickupDistance(double distance) {
    if (!std::isfinite(distance) || distance < 0.0) {
        return false;
    }
    robot_->setPatternPickupDistance(distance);
    robot_->userDefaults()->setDouble(distance, patternPickupDistanceKey);
    return true;
}

std::optional<double> PreferencesWindowModel::safePickupHeight() const {
    return robot_->safePickupHeight();
}

std::optional<double> PreferencesWindowModel::setSafePickupHeight(double height) {
    if (!std::isfinite(height)) {
        return std::nullopt;
    }
    // Never below the model's own safe height.
    const double stored = std::max(height, robot_->defaultSafePickupHeight());
    robot_->setSafePickupHeight(stored);
    robot_->userDefaults()->setDouble(stored, safePickupHeightKey);
    return stored;
}

std::optional<double> PreferencesWindowModel::useCurrentPositionForSafePickupHeight() {
    return setSafePickupHeight(robot_->currentCoordinate().z);
}

bool PreferencesWindowModel::shouldUseSlowApproachDuringSurfaceFinding() const {
    return robot_->shouldUseSlowApproachDuringSurfaceFinding();
}

void PreferencesWindowModel::setShouldUseSlowApproachDuringSurfaceFinding(bool on) {
    robot_->setShouldUseSlowApproachDuringSurfaceFinding(on);
    robot_->userDefaults()->setBool(on, slowSurfaceApproachKey);
}

bool PreferencesWindowModel::shouldResetSavedHeightsOnDispenserDisconnection() const {
    return robot_->shouldResetSavedHeightsOnDispenserDisconnection();
}

void PreferencesWindowModel::setShouldResetSavedHeightsOnDispenserDisconnection(bool on) {
    robot_->setShouldResetSavedHeightsOnDispenserDisconnection(on);
    robot_->userDefaults()->setBool(on, resetSavedHeightsKey);
}

// ---- Readiness ------------------------------------------------------------------------------

void PreferencesWindowModel::observeReadiness(std::function<void(bool ready)> observer) {
    robot_->addObserverForMovementCompletion(
        [observer = std::move(observer)](bool moving) { observer(!moving); });
    // The robot reports busy, then idle, once the work queued so far has run.
    robot_->runOnRoboticsQueue([] {});
}

} // namespace Dotfield
