#pragma once
// The decision rule of the status check: five measured magnitudes against the
// reference statistics of the five points.

#include <array>

#include "Dotfield/Instrument/DispenserStatus/DispenserConnectionStatus.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatisticalImpedanceMeasurement.hpp"

namespace Dotfield {

using DispenserStatusMagnitudes = std::array<double, dispenserStatusPointCount>;

// In this order: every magnitude in [0, 200) is a short circuit; every
// magnitude in the open-circuit band [800 - 0.5 x (f - 200), 10000), f the
// point's frequency in kHz, is a disconnected dispenser; otherwise the
// deviation probability P decides: P >= 0.6 on the surface, 0.4 <= P < 0.6
// miscalibrated, below 0.4 off the surface.
DispenserConnectionStatus classifyDispenserStatus(const DispenserStatusMagnitudes& magnitudes,
                                                  const DispenserStatistics& statistics);

// The probability that one point's reading does not belong to its reference:
// erf(|m - mean| / (sd x 15 x sqrt 2)). When the standard deviation is 0,
// negative or not a finite number, or the deviation is not a number, it is 0
// for a reading equal to the mean and 1 otherwise: always a number from 0 to 1.
double pointDeviationProbability(double magnitude, const StatisticalImpedanceMeasurement& point);

// P = 1 - prod(1 - erf(|m - mean| / (sd x 15 x sqrt 2))) over the five points.
// At a point whose standard deviation is 0, negative or not a finite number,
// or whose deviation is not a number, the point's term is 0 when the reading
// equals the mean and 1 otherwise, so P is always a number from 0 to 1.
double probabilityFromDeviation(const DispenserStatusMagnitudes& magnitudes, const DispenserStatistics& statistics);

} // namespace Dotfield
