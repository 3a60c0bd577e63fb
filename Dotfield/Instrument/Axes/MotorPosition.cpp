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

const char* axisLetter(MotorPosition motor) {
    switch (motor) {
    case MotorPosition::xMotor:
        return "X";
    case MotorPosition::yMotor:
        return "Y";
    default:
        return "Z";
    }
}

} // namespace Dotfield
