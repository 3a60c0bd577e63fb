#pragma once
// The axis selector of every per-axis operation of the positioners.

#include <array>
#include <cstdint>
#include <string_view>

namespace Dotfield {

enum class MotorPosition : std::uint8_t { xMotor, yMotor, zMotor, allMotors };

// The three axes, in order.
inline constexpr std::array<MotorPosition, 3> xyzMotors{MotorPosition::xMotor, MotorPosition::yMotor,
                                                        MotorPosition::zMotor};

std::string_view toString(MotorPosition motor);

// "X", "Y" or "Z" ("Z" for allMotors too), as messages name an axis.
const char* axisLetter(MotorPosition motor);

} // namespace Dotfield
