#include "Dotfield/Calibration/SurfaceCant/SurfaceCantSettings.hpp"

#include <cmath>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace Dotfield {

bool isUsableDistanceToCalibrate(double distance) {
    return std::isfinite(distance) && distance != 0.0;
}

double readDistanceToCalibrate(const UserDefaults& userDefaults, const char* key) {
    const std::optional<double> stored = userDefaults.doubleForKey(key);
    return stored && isUsableDistanceToCalibrate(*stored) ? *stored : defaultDistanceToCalibrate;
}

std::vector<VeltranePatterns::Coordinate> readSavedCalibrationPoints(const UserDefaults& userDefaults,
                                                                     const char* key) {
    return userDefaults.coordinateArray(key).value_or(std::vector<VeltranePatterns::Coordinate>{});
}

} // namespace Dotfield
