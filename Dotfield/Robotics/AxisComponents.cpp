#include "Dotfield/Robotics/AxisComponents.hpp"

namespace Dotfield {

double axisComponent(const AxisValues& values, MotorPosition motor) {
    switch (motor) {
    case MotorPosition::xMotor:
        return values.x;
    case MotorPosition::yMotor:
        return values.y;
    default:
        return values.z;
    }
}

AxisValues replacingAxisComponent(AxisValues values, MotorPosition motor, double value) {
    switch (motor) {
    case MotorPosition::xMotor:
        values.x = value;
        break;
    case MotorPosition::yMotor:
        values.y = value;
        break;
    default:
        values.z = value;
        break;
    }
    return values;
}

} // namespace Dotfield
