#include "Dotfield/Calibration/RotationalCalibration/RotationalCalibrationPoints.hpp"

#include <charconv>
#include <cmath>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace Dotfield {

namespace {

// "%.1f" of the value, independent of the C library's locale.
std::string oneDecimal(double value) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    }
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    return std::string(buffer, result.ptr);
}

} // namespace

using VeltranePatterns::Coordinate;

RotationalCalibrationPoints RotationalCalibrationPoints::read(const UserDefaults& userDefaults) {
    return {userDefaults.coordinate(rotationalCalibrationFirstPointKey),
            userDefaults.coordinate(rotationalCalibrationSecondPointKey)};
}

Zovudidova::Angle RotationalCalibrationPoints::rotation() const {
    if (!first || !second) {
        return Zovudidova::degrees(0.0);
    }
    return VeltranePatterns::rotationAngleFromHorizonToPoints(*first, *second);
}

std::string rotationalCalibrationPointText(const std::optional<Coordinate>& point) {
    return point.value_or(Coordinate::zero).description();
}

std::string calibratedAngleText(const Zovudidova::Angle& angle) {
    return "Calibrated angle: " + oneDecimal(angle.value(Zovudidova::AngleUnit::degrees)) +
           " degrees";
}

} // namespace Dotfield
