#pragma once
// The delay calibration table: the scan points of the original electronics,
// each a frequency and the measurement delay byte to use there, in scan order.
//
// Text format, one point per line: fields separated by commas; field 0 and
// field 2 are decimal integers whose sum is the frequency in hertz, field 1 is
// the delay byte (0 to 255); further fields are ignored. "400000,12,500" is a
// point at 400.5 kHz with delay 12. Blanks around a number are allowed.

#include <filesystem>
#include <string_view>
#include <vector>

#include "Dotfield/Instrument/Electronics/Impedance.hpp"

namespace Dotfield {

// The points of the table text in line order. A line that cannot be a point
// (fewer than three fields, a field that is not a decimal integer, a delay
// outside 0 to 255, a frequency that is not above 0) is skipped.
std::vector<ImpedanceCalibrationValue> delayCalibrationTable(std::string_view text);

// The table in the file. Throws DelayCalibrationTableError when the file
// cannot be read or holds no point, so the caller can go on without table
// scans instead of stopping.
std::vector<ImpedanceCalibrationValue> loadDelayCalibrationTable(const std::filesystem::path& file);

// The table that ships with the program: 200 to 600 kHz in 1 kHz steps.
std::vector<ImpedanceCalibrationValue> bundledDelayCalibrationTable();

} // namespace Dotfield
