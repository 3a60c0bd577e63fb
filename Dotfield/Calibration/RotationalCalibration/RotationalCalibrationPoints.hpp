#pragma once
// The two points of the rotational calibration: positioner positions (µm) on
// a straight feature of the substrate that should run along the x axis. The
// angle of the line from the first to the second against the x axis is the
// substrate's rotation. The points are kept in the settings store as
// coordinate dictionaries; the angle is always computed from them.

#include <optional>
#include <string>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

class UserDefaults;

inline constexpr const char* rotationalCalibrationFirstPointKey = "rotationalCalibrationFirstPoint";
inline constexpr const char* rotationalCalibrationSecondPointKey = "rotationalCalibrationSecondPoint";

struct RotationalCalibrationPoints {
    std::optional<VeltranePatterns::Coordinate> first;
    std::optional<VeltranePatterns::Coordinate> second;

    // Missing keys (or entries that are not coordinates) give no point.
    static RotationalCalibrationPoints read(const UserDefaults& userDefaults);

    // From the first point to the second; 0 degrees while either is missing.
    Zovudidova::Angle rotation() const;
};

// The text of a point: its coordinate description, "(0, 0, 0)" while it is missing.
std::string rotationalCalibrationPointText(const std::optional<VeltranePatterns::Coordinate>& point);

// "Calibrated angle: 2.9 degrees": the angle in degrees with one decimal,
// written without the user's locale.
std::string calibratedAngleText(const Zovudidova::Angle& angle);

} // namespace Dotfield
