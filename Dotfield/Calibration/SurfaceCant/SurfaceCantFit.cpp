#include "Dotfield/Calibration/SurfaceCant/SurfaceCantFit.hpp"

#include <cmath>
#include <optional>
#include <utility>

#include "Dotfield/Calibration/SurfaceCant/LinearRegression.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield {

using VeltranePatterns::Coordinate;

namespace {

// The height against the coordinate the axis runs along.
using Abscissa = double Coordinate::*;

// The fit of one axis, or nothing when it is not a finite line.
std::optional<LinearFit> fitAxis(const std::vector<Coordinate>& points, Abscissa abscissa, const char* axisName) {
    std::vector<std::pair<double, double>> pairs;
    pairs.reserve(points.size());
    for (const Coordinate& point : points) {
        pairs.emplace_back(point.*abscissa, point.z);
    }
    const LinearFit fit = linearRegression(pairs);
    if (!std::isfinite(fit.slope) || !std::isfinite(fit.intercept)) {
        Diagnostics::printWithContext(std::string("The surface-cant fit along ") + axisName +
                                           " is not a finite number; its slope counts as 0");
        return std::nullopt;
    }
    return fit;
}

// The fitted heights at the first and the last point.
std::vector<Coordinate> lineEnds(const std::vector<Coordinate>& points, Abscissa abscissa, const LinearFit& fit) {
    const auto onLine = [&](const Coordinate& point) {
        return Coordinate{point.x, point.y, fit.slope * (point.*abscissa) + fit.intercept};
    };
    return {onLine(points.front()), onLine(points.back())};
}

} // namespace

SurfaceCantFit fitSurfaceCant(const std::vector<Coordinate>& pointsForX, const std::vector<Coordinate>& pointsForY) {
    const std::optional<LinearFit> xFit = fitAxis(pointsForX, &Coordinate::x, "X");
    const std::optional<LinearFit> yFit = fitAxis(pointsForY, &Coordinate::y, "Y");
    SurfaceCantFit result;
    result.surfaceCant = {xFit ? xFit->slope : 0.0, yFit ? yFit->slope : 0.0};
    if (xFit && yFit && !pointsForX.empty() && !pointsForY.empty()) {
        result.slopeLinePointsForX = lineEnds(pointsForX, &Coordinate::x, *xFit);
        result.slopeLinePointsForY = lineEnds(pointsForY, &Coordinate::y, *yFit);
    }
    return result;
}

std::string xSlopeLabelText(double slope) {
    return "X slope: " + Zovudidova::formatDouble(slope);
}

std::string ySlopeLabelText(double slope) {
    return "Y slope: " + Zovudidova::formatDouble(slope);
}

} // namespace Dotfield
