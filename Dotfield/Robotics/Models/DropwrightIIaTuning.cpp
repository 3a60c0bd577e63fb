// DropwrightIIa: speeds, the motors' filter gains and the tuning update.

#include <algorithm>
#include <array>
#include <string>

#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"
#include "Dotfield/Robotics/SmartMotor/AnimaticsCommands.hpp"

namespace Dotfield {

namespace {

constexpr std::int64_t integralLimitSteps[] = {50, 200};

} // namespace

void DropwrightIIa::setVelocity(double velocity, MotorPosition motor) {
    const SmartMotorModelRow& row = modelRow();
    const std::int64_t count = std::max<std::int64_t>(animaticsInteger(velocity * row.velocityFactor),
                                                      row.minimumVelocity);
    sendValue(row.velocityCommand, count, motor);
}

void DropwrightIIa::setAcceleration(double acceleration, MotorPosition motor) {
    const SmartMotorModelRow& row = modelRow();
    const std::int64_t count = std::max<std::int64_t>(animaticsInteger(acceleration * row.accelerationFactor),
                                                      row.minimumAcceleration);
    sendValue(row.accelerationCommand, count, motor);
}

void DropwrightIIa::sendGain(std::string_view command, double value, MotorPosition motor) {
    sendValue(command, animaticsInteger(value), motor);
}

void DropwrightIIa::setProportionalGain(double gain, MotorPosition motor) {
    sendGain("KP=", gain, motor);
}

void DropwrightIIa::setIntegralGain(double gain, MotorPosition motor) {
    sendGain("KI=", gain, motor);
}

void DropwrightIIa::setDerivativeGain(double gain, MotorPosition motor) {
    sendGain("KD=", gain, motor);
}

void DropwrightIIa::setIntegralLimit(double limit, MotorPosition motor) {
    sendGain("KL=", limit, motor);
}

void DropwrightIIa::setVelocityFeedforward(double gain, MotorPosition motor) {
    sendGain("KV=", gain, motor);
}

void DropwrightIIa::setAccelerationFeedforward(double gain, MotorPosition motor) {
    sendGain("KA=", gain, motor);
}

void DropwrightIIa::updatePIDFilterForMotor(MotorPosition motor) {
    send("F", motor);
}

void DropwrightIIa::updateMotorTuningParameters() {
    // One copy, so a value edited meanwhile cannot mix into the values sent.
    const std::array<AxisValues, TuningValues::count> values = tuningValues_.values();
    const AxisValues& proportionalGain = values[0];
    const AxisValues& integralGain = values[1];
    const AxisValues& derivativeGain = values[2];
    const AxisValues& integralLimit = values[3];
    const AxisValues& velocityFeedforward = values[4];
    // Every value is checked before the first command, so a bad setting
    // leaves the motors' filters as they were.
    for (const AxisValues* triple : {&proportionalGain, &integralGain, &derivativeGain, &integralLimit,
                                     &velocityFeedforward}) {
        for (const MotorPosition motor : xyzMotors) {
            animaticsInteger(axisComponent(*triple, motor));
        }
    }
    for (const MotorPosition motor : xyzMotors) {
        clearPositionerErrorForMotor(motor);
    }
    for (const MotorPosition motor : xyzMotors) {
        setProportionalGain(axisComponent(proportionalGain, motor), motor);
        setIntegralGain(axisComponent(integralGain, motor), motor);
        setDerivativeGain(axisComponent(derivativeGain, motor), motor);
        setVelocityFeedforward(axisComponent(velocityFeedforward, motor), motor);
        // The acceleration feed-forward is kept but the motors run without it.
        setAccelerationFeedforward(0.0, motor);
        updatePIDFilterForMotor(motor);
        // The integral limit is raised in steps, so the integrator winds up gently.
        for (const std::int64_t step : integralLimitSteps) {
            pause(delayForPIDValuesToSettle);
            setIntegralLimit(static_cast<double>(step), motor);
        }
        pause(delayForPIDValuesToSettle);
        setIntegralLimit(axisComponent(integralLimit, motor), motor);
    }
}

} // namespace Dotfield
