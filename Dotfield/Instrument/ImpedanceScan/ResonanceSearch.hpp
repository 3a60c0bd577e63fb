#pragma once
// Finding the dispenser's resonances in an impedance scan, and choosing the
// three that set the working frequency and the status-check points.

#include <array>
#include <vector>

#include "Dotfield/Instrument/ImpedanceScan/ImpedanceResonance.hpp"

namespace Dotfield {

// The resonances of a scan, in scan order. A resonance is a minimum of the
// magnitude confirmed by the next sample and the ninth sample after it both
// being higher, followed by a maximum confirmed by both being lower; near the
// end of the scan the last sample stands in for indexes beyond it. An empty
// scan has none.
std::vector<ImpedanceResonance> findResonances(const std::vector<ImpedanceMeasurement>& scan);

// The three resonances that drive the dispenser: with fewer than three found,
// the default resonances; otherwise the three strongest, strongest first,
// except that a strongest one resonating below 350 kHz changes places with the
// second strongest.
std::array<ImpedanceResonance, 3> selectDispenserFrequencies(const std::vector<ImpedanceResonance>& resonances);

// The resonances used when a scan finds fewer than three: fixed frequencies
// and delays, every magnitude 600 and every strength 0.
std::array<ImpedanceResonance, 3> defaultDispenserResonances();

// True when the first resonance is the stronger one. A strength that is not a
// number counts as weaker than any other, so sorting stays well defined.
bool resonanceStrengthDescending(const ImpedanceResonance& first, const ImpedanceResonance& second);

} // namespace Dotfield
