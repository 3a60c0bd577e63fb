// DropwrightProto: speeds, accelerations and the closed-loop gains.

#include "Dotfield/Robotics/Models/DropwrightProto.hpp"

#include <array>

#include "Dotfield/Robotics/Proto/ProtoCommands.hpp"
#include "Dotfield/Robotics/Proto/ProtoControllerSetup.hpp"

namespace Dotfield {

void DropwrightProto::setVelocity(double velocity, MotorPosition motor) {
    send(Proto::velocityCommand(velocity, motor), motor);
}

void DropwrightProto::setAcceleration(double acceleration, MotorPosition motor) {
    send(Proto::accelerationCommand(acceleration, motor), motor);
}

double DropwrightProto::attainedVelocity(double velocity, MotorPosition motor) const {
    return Proto::attainedVelocity(velocity, motor);
}

double DropwrightProto::attainedAcceleration(double acceleration, MotorPosition motor) const {
    return Proto::attainedAcceleration(acceleration, motor);
}

void DropwrightProto::sendGain(std::string_view command, double gain, MotorPosition motor) {
    send(Proto::commandWithValue(command, Proto::nearestInteger(gain)), motor);
}

void DropwrightProto::setProportionalGain(double gain, MotorPosition motor) {
    sendGain(":CL_KP_s_Z", gain, motor);
}

void DropwrightProto::setIntegralGain(double gain, MotorPosition motor) {
    sendGain(":CL_KI_s_Z", gain, motor);
}

void DropwrightProto::setDerivativeGain(double gain, MotorPosition motor) {
    sendGain(":CL_KD_s_Z", gain, motor);
}

void DropwrightProto::setCascadingProportionalGain(double gain, MotorPosition motor) {
    sendGain(":CL_KP_css_Z", gain, motor);
}

void DropwrightProto::setCascadingIntegralGain(double gain, MotorPosition motor) {
    sendGain(":CL_KI_css_Z", gain, motor);
}

void DropwrightProto::setCascadingDerivativeGain(double gain, MotorPosition motor) {
    sendGain(":CL_KD_css_Z", gain, motor);
}

void DropwrightProto::updateMotorTuningParameters() {
    // One copy, so a value edited meanwhile cannot mix into the values sent.
    const std::array<AxisValues, TuningValues::count> gains = tuningValues_.values();
    // Every gain is checked first, so a bad setting leaves the controllers'
    // loops as they were.
    for (const AxisValues& values : gains) {
        for (const MotorPosition motor : xyzMotors) {
            Proto::nearestInteger(axisComponent(values, motor));
        }
    }
    for (const MotorPosition motor : xyzMotors) {
        setProportionalGain(axisComponent(gains[0], motor), motor);
        setIntegralGain(axisComponent(gains[1], motor), motor);
        setDerivativeGain(axisComponent(gains[2], motor), motor);
        setCascadingProportionalGain(axisComponent(gains[3], motor), motor);
        setCascadingIntegralGain(axisComponent(gains[4], motor), motor);
        setCascadingDerivativeGain(axisComponent(gains[5], motor), motor);
    }
    for (const MotorPosition motor : xyzMotors) {
        for (const std::string_view command : Proto::bareLoopCommands) {
            sendUnconverted(command, motor);
        }
    }
}

} // namespace Dotfield
