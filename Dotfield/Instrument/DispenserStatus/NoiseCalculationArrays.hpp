#pragma once
// The reference statistics in the settings store, as four lists of five
// numbers in point order: "standardDeviationArray" and
// "averageForNoiseCalculationArray" (reals), "delaysForNoiseCalculationArray"
// (integers) and "frequenciesForNoiseCalculationArray" (kilohertz, reals).

#include <optional>

#include "Dotfield/Instrument/DispenserStatus/StatisticalImpedanceMeasurement.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace Dotfield {

// Writes the four lists, in the order above; no statistics removes all four.
void saveNoiseCalculationArrays(const std::optional<DispenserStatistics>& statistics, UserDefaults& userDefaults);

// The statistics the four lists hold; nothing when a list is missing, has
// fewer than five entries, or a delay lies outside 0 to 255. Entries past the
// fifth are ignored.
std::optional<DispenserStatistics> loadNoiseCalculationArrays(const UserDefaults& userDefaults);

} // namespace Dotfield
