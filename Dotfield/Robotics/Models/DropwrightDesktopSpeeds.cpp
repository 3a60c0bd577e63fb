// DropwrightDesktop: velocities, accelerations, the Z axis power and clearing
// the controller's errors.

#include <cmath>
#include <cstdint>
#include <string>

#include "Dotfield/Robotics/Gilson/GilsonCommands.hpp"
#include "Dotfield/Robotics/Models/DropwrightDesktop.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

constexpr const char* setAccelerationName = "setAcceleration(_:forMotor:)";

// The value rounded half away from zero, as the controller's integer
// settings take it; one that is not finite or does not fit 64 bits is
// refused before anything is sent.
std::int64_t settingInteger(double value) {
    const double rounded = std::round(value);
    // 2^63: the first double above the 64-bit range.
    constexpr double limit = 9223372036854775808.0;
    if (!std::isfinite(rounded) || rounded < -limit || rounded >= limit) {
        throw Diagnostics::logAndReturnError(RoboticsError(RoboticsError::Kind::abortedDuringMove));
    }
    return static_cast<std::int64_t>(rounded);
}

} // namespace

void DropwrightDesktop::setVelocity(double velocity, MotorPosition motor) {
    AxisValues velocities = currentVelocities();
    switch (motor) {
    case MotorPosition::xMotor:
        velocities.x = velocity;
        break;
    case MotorPosition::yMotor:
        velocities.y = velocity;
        break;
    case MotorPosition::zMotor:
        velocities.z = velocity;
        break;
    case MotorPosition::allMotors:
        velocities = {velocity, velocity, velocity};
        break;
    }
    std::lock_guard lock(fieldsMutex_);
    currentVelocities_ = velocities;
}

double DropwrightDesktop::attainedVelocity(double velocity, MotorPosition) const {
    return gilsonAttainedSpeed(velocity);
}

void DropwrightDesktop::setAcceleration(double acceleration, MotorPosition motor) {
    link();
    const std::string value = std::to_string(settingInteger(acceleration * 3.0));
    switch (motor) {
    case MotorPosition::xMotor:
        sendBuffered("@13=" + value, setAccelerationName);
        break;
    case MotorPosition::yMotor:
        sendBuffered("@14=" + value, setAccelerationName);
        break;
    case MotorPosition::zMotor:
        sendBuffered("@15=" + value, setAccelerationName);
        break;
    case MotorPosition::allMotors:
        sendBuffered("@13=" + value, setAccelerationName);
        sendBuffered("@14=" + value, setAccelerationName);
        sendBuffered("@15=" + value, setAccelerationName);
        break;
    }
}

void DropwrightDesktop::updateMotorTuningParameters() {
    link();
    const std::optional<double> level = userDefaults()->doubleForKey(zAxisPowerLevelKey);
    if (!level || !(*level > 0.0) || !(*level < 100.0)) {
        return;
    }
    const std::string power = std::to_string(settingInteger(*level));
    sendBuffered("@12=2000", "updateMotorTuningParameters()");
    sendBuffered("@1=" + power, "updateMotorTuningParameters()");
}

void DropwrightDesktop::clearPositionerErrorForMotor(MotorPosition) {
    sendGilsonBufferedCommand("e", link());
}

} // namespace Dotfield
