#pragma once
// One axis of a per-axis triple (x, y, z), read or replaced.

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Instrument/Axes/MotorPosition.hpp"

namespace Dotfield {

// The triple's value for one axis (z for allMotors, which no caller passes).
double axisComponent(const AxisValues& values, MotorPosition motor);
// The triple with one axis replaced.
AxisValues replacingAxisComponent(AxisValues values, MotorPosition motor, double value);

} // namespace Dotfield
