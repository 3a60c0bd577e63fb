#include "Dotfield/Robotics/TuningValues.hpp"

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

TuningValues::TuningValues(const Keys& keys, const UserDefaults& store) : keys_(keys) {
    for (std::size_t index = 0; index < count; ++index) {
        std::optional<AxisValues> stored = store.axisValues(keys[index].userDefinedKey, false);
        if (!stored) {
            stored = store.axisValues(keys[index].factoryKey, true);
        }
        values_[index] = stored.value_or(keys[index].builtIn);
    }
}

AxisValues TuningValues::value(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return values_.at(index);
}

std::array<AxisValues, TuningValues::count> TuningValues::values() const {
    std::lock_guard lock(mutex_);
    return values_;
}

void TuningValues::setValue(std::size_t index, const AxisValues& values) {
    std::lock_guard lock(mutex_);
    values_.at(index) = values;
}

AxisValues TuningValues::setAxis(std::size_t index, MotorPosition motor, double value) {
    std::lock_guard lock(mutex_);
    AxisValues& triple = values_.at(index);
    triple = replacingAxisComponent(triple, motor, value);
    return triple;
}

} // namespace Dotfield
