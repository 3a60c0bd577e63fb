#pragma once
// What the surface-cant calibration keeps in the settings store: the lengths
// of the two measurement lines, the three manual points (coordinate
// dictionaries, removed when a point is cleared) and the points of the last
// calibration of each axis (arrays of coordinate dictionaries).

#include <optional>
#include <vector>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class UserDefaults;

inline constexpr const char* distanceToCalibrateInXKey = "distanceToCalibrateInX";
inline constexpr const char* distanceToCalibrateInYKey = "distanceToCalibrateInY";
inline constexpr const char* upperLeftManualCalibrationPointKey = "upperLeftManualCalibrationPoint";
inline constexpr const char* upperRightManualCalibrationPointKey = "upperRightManualCalibrationPoint";
inline constexpr const char* lowerLeftManualCalibrationPointKey = "lowerLeftManualCalibrationPoint";
inline constexpr const char* savedCalibrationPointsForXKey = "savedCalibrationPointsForX";
inline constexpr const char* savedCalibrationPointsForYKey = "savedCalibrationPointsForY";

// µm.
inline constexpr double defaultDistanceToCalibrate = 10000.0;

// A measurement line needs a length that is a finite number other than 0: a
// line of length 0 measures one spot five times and reports a slope of 0.
bool isUsableDistanceToCalibrate(double distance);

// The stored distance; the default when the key is missing or holds a
// distance that is not usable.
double readDistanceToCalibrate(const UserDefaults& userDefaults, const char* key);

// The stored points of one axis; empty when the key is missing.
std::vector<VeltranePatterns::Coordinate> readSavedCalibrationPoints(const UserDefaults& userDefaults,
                                                                     const char* key);

} // namespace Dotfield
