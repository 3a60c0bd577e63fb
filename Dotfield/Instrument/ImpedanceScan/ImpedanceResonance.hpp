#pragma once
// One resonance of the dispenser found in an impedance scan: a minimum of the
// impedance magnitude and the maximum that follows it.

#include "Dotfield/Instrument/Electronics/Impedance.hpp"

namespace Dotfield {

struct ImpedanceResonance {
    // The measurement at the local minimum of the magnitude.
    ImpedanceMeasurement resonance;
    // The measurement at the following local maximum.
    ImpedanceMeasurement antiresonance;
    // The measurement at the scan index halfway between the two (rounded down).
    ImpedanceMeasurement midpoint;
    // Antiresonance magnitude minus resonance magnitude.
    double strength = 0.0;
};

} // namespace Dotfield
