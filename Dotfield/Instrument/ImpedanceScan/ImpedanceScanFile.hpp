#pragma once
// The saved impedance scan, so the last calibration scan can be shown again
// after the next launch. ASCII text, lines ending in a line feed:
//
//   Frequency, Impedance, Phase, Reactance, Resistance
//   200000, 812.500000 , 0.000000, 0.000000, 0.000000
//
// one data line per measurement: the frequency in hertz (fraction dropped),
// the magnitude and the phase with six decimals, and reactance and resistance
// always zero.

#include <filesystem>
#include <vector>

#include "Dotfield/Instrument/Electronics/Impedance.hpp"

namespace Dotfield {

// The file's name in the application's folder.
inline constexpr const char* impedanceScanFileName = "dispenserstatus.scn";

// Writes every measurement of the scan, replacing any earlier file atomically.
// Throws std::filesystem::filesystem_error.
void exportImpedanceScan(const std::vector<ImpedanceMeasurement>& scan, const std::filesystem::path& file);

// The measurements of a saved scan, in line order. Each data line (a line of
// more than one field whose first field is a decimal integer) gives the
// frequency of that field, the leading number of field 1 as the magnitude and
// that of field 2 as the phase (0 when there is none). The delay of the n-th
// data line is that of the n-th row of the delay calibration table, or 0 past
// its end. Other lines are skipped. Throws std::filesystem::filesystem_error
// when the file cannot be read.
std::vector<ImpedanceMeasurement> loadImpedanceScanFile(const std::filesystem::path& file,
                                                        const std::vector<ImpedanceCalibrationValue>& delayTable);

} // namespace Dotfield
