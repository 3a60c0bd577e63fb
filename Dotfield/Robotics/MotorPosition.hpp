#pragma once
// The axis selector of every per-axis operation of the positioners.

#include <cstdint>
#include <string_view>

namespace Dotfield {

enum class MotorPosition : std::uint8_t { xMotor, yMotor, zMotor, allMotors };

std::string_view toString(MotorPosition motor);

} // namespace Dotfield
