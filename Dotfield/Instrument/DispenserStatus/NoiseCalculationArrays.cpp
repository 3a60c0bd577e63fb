#include "Dotfield/Instrument/DispenserStatus/NoiseCalculationArrays.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace Dotfield {

namespace {

const std::string standardDeviationKey = "standardDeviationArray";
const std::string averageKey = "averageForNoiseCalculationArray";
const std::string delaysKey = "delaysForNoiseCalculationArray";
const std::string frequenciesKey = "frequenciesForNoiseCalculationArray";

} // namespace

void saveNoiseCalculationArrays(const std::optional<DispenserStatistics>& statistics, UserDefaults& userDefaults) {
    if (!statistics) {
        userDefaults.setDoubleArray(std::nullopt, standardDeviationKey);
        userDefaults.setDoubleArray(std::nullopt, averageKey);
        userDefaults.setIntegerArray(std::nullopt, delaysKey);
        userDefaults.setDoubleArray(std::nullopt, frequenciesKey);
        return;
    }
    std::vector<double> deviations;
    std::vector<double> averages;
    std::vector<std::int64_t> delays;
    std::vector<double> frequencies;
    for (const auto& point : *statistics) {
        deviations.push_back(point.standardDeviation);
        averages.push_back(point.averageImpedanceMagnitude);
        delays.push_back(point.measurementSettings.delay);
        frequencies.push_back(point.measurementSettings.frequency.value(Zovudidova::FrequencyUnit::kilohertz));
    }
    userDefaults.setDoubleArray(deviations, standardDeviationKey);
    userDefaults.setDoubleArray(averages, averageKey);
    userDefaults.setIntegerArray(delays, delaysKey);
    userDefaults.setDoubleArray(frequencies, frequenciesKey);
}

std::optional<DispenserStatistics> loadNoiseCalculationArrays(const UserDefaults& userDefaults) {
    const auto deviations = userDefaults.doubleArray(standardDeviationKey);
    const auto averages = userDefaults.doubleArray(averageKey);
    const auto delays = userDefaults.integerArray(delaysKey);
    const auto frequencies = userDefaults.doubleArray(frequenciesKey);
    if (!deviations || !averages || !delays || !frequencies || deviations->size() < dispenserStatusPointCount ||
        averages->size() < dispenserStatusPointCount || delays->size() < dispenserStatusPointCount ||
        frequencies->size() < dispenserStatusPointCount) {
        return std::nullopt;
    }
    std::array<std::optional<StatisticalImpedanceMeasurement>, dispenserStatusPointCount> points;
    for (std::size_t i = 0; i < dispenserStatusPointCount; ++i) {
        const std::int64_t delay = (*delays)[i];
        if (delay < 0 || delay > 255) {
            return std::nullopt;
        }
        points[i] = StatisticalImpedanceMeasurement{
            (*averages)[i],
            (*deviations)[i],
            {Zovudidova::kilohertz((*frequencies)[i]), static_cast<std::uint8_t>(delay)},
        };
    }
    return DispenserStatistics{*points[0], *points[1], *points[2], *points[3], *points[4]};
}

} // namespace Dotfield
