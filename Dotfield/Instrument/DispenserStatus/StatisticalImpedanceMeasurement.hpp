#pragma once
// The reference statistics of the dispenser's impedance at one status-check
// point, sampled by the dispenser calibration, and the group of five (one per
// point, in point order) that the status check compares every reading with.

#include <array>
#include <cstddef>

#include "Dotfield/Instrument/Electronics/Impedance.hpp"

namespace Dotfield {

inline constexpr std::size_t dispenserStatusPointCount = 5;

struct StatisticalImpedanceMeasurement {
    // Mean magnitude at the point, in the electronics' scale.
    double averageImpedanceMagnitude = 0.0;
    // Sample standard deviation of the magnitude at the point.
    double standardDeviation = 0.0;
    // The point's frequency and delay byte.
    ImpedanceCalibrationValue measurementSettings;

    bool operator==(const StatisticalImpedanceMeasurement&) const = default;
};

using DispenserStatistics = std::array<StatisticalImpedanceMeasurement, dispenserStatusPointCount>;
// The five status-check points, in point order.
using DispenserStatusPoints = std::array<ImpedanceCalibrationValue, dispenserStatusPointCount>;
// One status reading: an impedance per point, in point order.
using DispenserStatusReading = std::array<Impedance, dispenserStatusPointCount>;

} // namespace Dotfield
