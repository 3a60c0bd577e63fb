#include "Dotfield/Instrument/DispenserStatus/StatisticalSampling.hpp"

#include <vector>

#include "Dotfield/Instrument/DispenserStatus/StatusStepRetry.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/Statistics.hpp"

namespace Dotfield {

DispenserStatistics performStatisticalSamplingOfImpedances(const DispenserStatusPoints& points,
                                                           Electronics& electronics,
                                                           const std::function<void(double)>& newMeasuredStatisticFunction) {
    runStatusStepTwice([&] {
        electronics.initializeStatusCheck(points);
        return true;
    });

    std::array<std::vector<double>, dispenserStatusPointCount> magnitudes;
    for (int round = 0; round < statisticalSamplingRounds; ++round) {
        const DispenserStatusReading reading = runStatusStepTwice([&] { return electronics.readStatus(); });
        for (std::size_t i = 0; i < dispenserStatusPointCount; ++i) {
            magnitudes[i].push_back(reading[i].magnitude);
        }
        if (newMeasuredStatisticFunction) {
            newMeasuredStatisticFunction(static_cast<double>(round) / statisticalSamplingRounds);
        }
    }

    auto statisticsOf = [&](std::size_t i) {
        double sum = 0.0;
        for (double magnitude : magnitudes[i]) {
            sum += magnitude;
        }
        const double average = sum / statisticalSamplingRounds;
        return StatisticalImpedanceMeasurement{average, sampleStandardDeviation(magnitudes[i], average), points[i]};
    };
    return {statisticsOf(0), statisticsOf(1), statisticsOf(2), statisticsOf(3), statisticsOf(4)};
}

} // namespace Dotfield
