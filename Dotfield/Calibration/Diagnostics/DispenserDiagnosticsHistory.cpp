#include "Dotfield/Calibration/Diagnostics/DispenserDiagnosticsHistory.hpp"

#include "Dotfield/Instrument/DispenserStatus/DispenserStatusClassification.hpp"

namespace Dotfield {

namespace {

DispenserStatusMagnitudes magnitudesOf(const DispenserStatusReading& readings) {
    DispenserStatusMagnitudes magnitudes{};
    for (std::size_t i = 0; i < dispenserStatusPointCount; ++i) {
        magnitudes[i] = readings[i].magnitude;
    }
    return magnitudes;
}

} // namespace

void DispenserDiagnosticsHistory::update(const DispenserStatusReading& readings,
                                         const std::optional<DispenserStatistics>& statistics) {
    std::lock_guard lock(mutex_);
    samples_.push_back(readings);
    statistics_ = statistics;
    if (samples_.size() > capacity) {
        samples_.pop_front();
    }
}

DispenserDiagnosticsHistory::Snapshot DispenserDiagnosticsHistory::snapshot() const {
    std::lock_guard lock(mutex_);
    return {{samples_.begin(), samples_.end()}, statistics_};
}

std::size_t DispenserDiagnosticsHistory::sampleCount() const {
    std::lock_guard lock(mutex_);
    return samples_.size();
}

std::vector<double> DispenserDiagnosticsHistory::Snapshot::sensorSignal() const {
    std::vector<double> signal;
    if (!statistics) {
        return signal;
    }
    signal.reserve(samples.size());
    for (const auto& sample : samples) {
        signal.push_back(probabilityFromDeviation(magnitudesOf(sample), *statistics));
    }
    return signal;
}

DispenserDiagnosticsRow DispenserDiagnosticsHistory::Snapshot::row(std::size_t index) const {
    DispenserDiagnosticsRow row;
    row.point = static_cast<int>(index) + 1;
    if (index >= dispenserStatusPointCount) {
        return row;
    }
    const std::optional<double> newest =
        samples.empty() ? std::nullopt : std::optional<double>(samples.back()[index].magnitude);
    row.currentValue = newest.value_or(0.0);
    if (!statistics) {
        return row;
    }
    const StatisticalImpedanceMeasurement& point = (*statistics)[index];
    row.frequencyInKilohertz = point.measurementSettings.frequency.value(Zovudidova::FrequencyUnit::kilohertz);
    row.averageImpedanceMagnitude = point.averageImpedanceMagnitude;
    row.standardDeviation = point.standardDeviation;
    row.valueGraph = newest ? valueGraphMaximum * pointDeviationProbability(*newest, point) : 0.0;
    return row;
}

} // namespace Dotfield
