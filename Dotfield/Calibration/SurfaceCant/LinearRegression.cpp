#include "Dotfield/Calibration/SurfaceCant/LinearRegression.hpp"

namespace Dotfield {

LinearFit linearRegression(std::span<const std::pair<double, double>> pairs) {
    if (pairs.size() < 2) {
        return {};
    }
    double sumX = 0.0;
    double sumY = 0.0;
    double sumXX = 0.0;
    double sumXY = 0.0;
    for (const auto& [x, y] : pairs) {
        sumX += x;
        sumY += y;
        sumXX += x * x;
        sumXY += x * y;
    }
    const auto count = static_cast<double>(pairs.size());
    const double denominator = sumXX * count - sumX * sumX;
    if (denominator == 0.0) {
        return {};
    }
    const double slope = (sumXY * count - sumX * sumY) / denominator;
    const double intercept = sumY / count - (sumX * slope) / count;
    return {slope, intercept};
}

} // namespace Dotfield
