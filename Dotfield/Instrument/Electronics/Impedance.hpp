#pragma once
// Impedance values shared by every measurement of the dispenser: the point a
// measurement is taken at, a measured impedance, and the two together.
//
// Magnitudes are in the electronics' own scale (the ratio of the measured to
// the reference amplitude times 1000); the status thresholds use the same scale.

#include <cstdint>

#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

struct ImpedanceCalibrationValue {
    Zovudidova::Frequency frequency;
    // The measurement delay byte sent with the 'd' command.
    std::uint8_t delay = 0;

    bool operator==(const ImpedanceCalibrationValue&) const = default;
};

struct Impedance {
    double magnitude = 0.0;
    // Radians; always 0 for the original electronics, which measure magnitudes only.
    double phase = 0.0;

    bool operator==(const Impedance&) const = default;
};

struct ImpedanceMeasurement {
    double magnitude = 0.0;
    double phase = 0.0;
    ImpedanceCalibrationValue measurementSettings;

    bool operator==(const ImpedanceMeasurement&) const = default;
};

} // namespace Dotfield
