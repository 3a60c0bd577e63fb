#include "Dotfield/Robotics/TuningValues.hpp"

namespace Dotfield {

TuningValues::TuningValues(const Keys& keys, const UserDefaults& store) : keys_(keys) {
    for (std::size_t index = 0; index < count; ++index) {
        std::optional<AxisValues> stored = store.axisValues(keys[index].key, keys[index].keyPerAxis);
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
