#pragma once
// The delay calibration table that ships with the program (Resources/
// Calibration.csv, compiled in so an installation cannot lose it).

#include <string_view>

namespace Dotfield {

// The text of Calibration.csv, byte for byte.
std::string_view bundledDelayCalibrationText();

} // namespace Dotfield
