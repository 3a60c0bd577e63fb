#include "Dotfield/Instrument/HelperFunctions/Statistics.hpp"

#include <cmath>

namespace Dotfield {

double sampleStandardDeviation(const std::vector<double>& values, double mean) {
    double sumOfSquaredDeviations = 0.0;
    for (double value : values) {
        const double deviation = mean - value;
        sumOfSquaredDeviations += deviation * deviation;
    }
    const double degreesOfFreedom = static_cast<double>(values.size()) - 1.0;
    return std::sqrt(sumOfSquaredDeviations / degreesOfFreedom);
}

} // namespace Dotfield
