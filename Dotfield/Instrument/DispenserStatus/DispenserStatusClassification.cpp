#include "Dotfield/Instrument/DispenserStatus/DispenserStatusClassification.hpp"

#include <cmath>
#include <numbers>

namespace Dotfield {

namespace {

constexpr double shortCircuitLimit = 200.0;
constexpr double openCircuitLimit = 10000.0;
constexpr double onSurfaceProbability = 0.6;
constexpr double miscalibratedProbability = 0.4;
// How many standard deviations of sampling noise count as one unit of deviation.
constexpr double deviationScale = 15.0;

// The lower edge of the open-circuit band: 800 at 200 kHz, falling by 0.5 per kHz.
double openCircuitThreshold(const StatisticalImpedanceMeasurement& point) {
    const double kilohertz = point.measurementSettings.frequency.value(Zovudidova::FrequencyUnit::kilohertz);
    return 800.0 - 0.5 * (kilohertz - 200.0);
}

} // namespace

// The probability that one point's reading does not belong to the reference.
double pointDeviationProbability(double magnitude, const StatisticalImpedanceMeasurement& point) {
    const double deviation = std::fabs(magnitude - point.averageImpedanceMagnitude);
    const double sd = point.standardDeviation;
    if (std::isfinite(sd) && sd > 0.0 && !std::isnan(deviation)) {
        return std::erf(deviation / (sd * deviationScale * std::numbers::sqrt2));
    }
    return deviation == 0.0 ? 0.0 : 1.0;
}

double probabilityFromDeviation(const DispenserStatusMagnitudes& magnitudes, const DispenserStatistics& statistics) {
    double agreement = 1.0;
    for (std::size_t i = 0; i < dispenserStatusPointCount; ++i) {
        agreement *= 1.0 - pointDeviationProbability(magnitudes[i], statistics[i]);
    }
    return 1.0 - agreement;
}

DispenserConnectionStatus classifyDispenserStatus(const DispenserStatusMagnitudes& magnitudes,
                                                  const DispenserStatistics& statistics) {
    bool shorted = true;
    for (double magnitude : magnitudes) {
        shorted = shorted && magnitude >= 0.0 && magnitude < shortCircuitLimit;
    }
    if (shorted) {
        return DispenserConnectionStatus::shortCircuit;
    }

    bool open = true;
    for (std::size_t i = 0; i < dispenserStatusPointCount && open; ++i) {
        open = magnitudes[i] >= openCircuitThreshold(statistics[i]) && magnitudes[i] < openCircuitLimit;
    }
    if (open) {
        return DispenserConnectionStatus::disconnected;
    }

    const double probability = probabilityFromDeviation(magnitudes, statistics);
    if (probability >= onSurfaceProbability) {
        return DispenserConnectionStatus::connectedAndOnSurface;
    }
    if (probability >= miscalibratedProbability) {
        return DispenserConnectionStatus::connectedAndMiscalibrated;
    }
    return DispenserConnectionStatus::connectedAndOffSurface;
}

} // namespace Dotfield
