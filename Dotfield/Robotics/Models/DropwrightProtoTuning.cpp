// DropwrightProto: speeds, accelerations and the closed-loop gains.

#include "Dotfield/Robotics/Models/DropwrightProto.hpp"
#include "Dotfield/Robotics/Proto/ProtoCommands.hpp"
#include "Dotfield/Robotics/Proto/ProtoControllerSetup.hpp"

namespace Dotfield {

namespace {

constexpr MotorPosition axes[] = {MotorPosition::xMotor, MotorPosition::yMotor, MotorPosition::zMotor};

double component(const AxisValues& values, MotorPosition motor) {
    switch (motor) {
    case MotorPosition::xMotor:
        return values.x;
    case MotorPosition::yMotor:
        return values.y;
    default:
        return values.z;
    }
}

} // namespace

void DropwrightProto::setVelocity(double velocity, MotorPosition motor) {
    send(Proto::velocityCommand(velocity, motor), motor);
}

void DropwrightProto::setAcceleration(double acceleration, MotorPosition motor) {
    send(Proto::accelerationCommand(acceleration, motor), motor);
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
    const AxisValues* gains[] = {&proportionalGain,          &integralGain,          &derivativeGain,
                                 &cascadingProportionalGain, &cascadingIntegralGain, &cascadingDerivativeGain};
    // Every gain is checked first, so a bad setting leaves the controllers'
    // loops as they were.
    for (const AxisValues* values : gains) {
        for (const MotorPosition motor : axes) {
            Proto::nearestInteger(component(*values, motor));
        }
    }
    for (const MotorPosition motor : axes) {
        setProportionalGain(component(proportionalGain, motor), motor);
        setIntegralGain(component(integralGain, motor), motor);
        setDerivativeGain(component(derivativeGain, motor), motor);
        setCascadingProportionalGain(component(cascadingProportionalGain, motor), motor);
        setCascadingIntegralGain(component(cascadingIntegralGain, motor), motor);
        setCascadingDerivativeGain(component(cascadingDerivativeGain, motor), motor);
    }
    for (const MotorPosition motor : axes) {
        for (const std::string_view command : Proto::bareLoopCommands) {
            sendUnconverted(command, motor);
        }
    }
}

} // namespace Dotfield
