#include "Dotfield/Instrument/Axes/MotorPosition.hpp"

namespace Dotfield {

std::string_view toString(MotorPosition motor) {
    switch (motor) {
    case MotorPosition::xMotor:
        return "xMotor";
    case MotorPosition::yMotor:
        return "yMotor";
    case MotorPosition::zMotor:
        return "zMotor";
    case MotorPosition::allMotors:
        return "allMotors";
    }
    return "unknown";
}

} // namespace Dotfield
