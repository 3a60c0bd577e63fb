#pragma once
// Sampling the reference statistics of the five status-check points: the
// dispenser calibration runs it once it has chosen the points.

#include <functional>

#include "Dotfield/Instrument/DispenserStatus/StatisticalImpedanceMeasurement.hpp"

namespace Dotfield {

class Electronics;

inline constexpr int statisticalSamplingRounds = 30;

// Programs the points into the electronics, takes 30 status readings and
// returns, per point, the mean magnitude and its sample standard deviation,
// with the point as the measurement settings. The progress function is called
// after every reading with the fraction done before it (0, 1/30, ..., 29/30).
// The set-up and each reading are tried twice; a second failure is an
// ElectronicsError (see checkDispenserStatusBasedOnStatistics). Runs on the
// caller's thread, which should be the electronics queue.
DispenserStatistics performStatisticalSamplingOfImpedances(const DispenserStatusPoints& points,
                                                           Electronics& electronics,
                                                           const std::function<void(double)>& newMeasuredStatisticFunction);

} // namespace Dotfield
