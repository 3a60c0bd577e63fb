#include "VeltranePatterns/Source/ToolPaths/FillToolPath.hpp"

#include <cmath>
#include <cstdint>

#include "VeltranePatterns/Source/ToolPaths/ToolPathLimits.hpp"

namespace VeltranePatterns {

namespace {

// Caps a value at the far edge when the far edge lies above the start, floors
// it there otherwise, so that the last step stops on the far edge.
double clampTowards(double value, double start, double farEdge) {
    if (farEdge > start) {
        return value < farEdge ? value : farEdge;
    }
    return value > farEdge ? value : farEdge;
}

} // namespace

std::vector<Coordinate> calculateFillDrawingCoordinates(const Fill& fill, double featureWidth,
                                                        double scaleFactor) {
    const double spacing = featureWidth * 0.5 / scaleFactor;
    const Coordinate start = fill.startingCoordinate();
    const Coordinate farCorner = fill.farCorner();
    const FillDimensions& dimensions = fill.dimensions();
    if (!(spacing > 0.0) || !std::isfinite(spacing) || !isFinite(start) || !isFinite(farCorner) ||
        !std::isfinite(dimensions.width) || !std::isfinite(dimensions.height)) {
        return {};
    }

    const bool horizontal = fill.fillType() == Fill::FillType::horizontal;
    const double sweepX = horizontal ? dimensions.width : 0.0;
    const double sweepY = horizontal ? 0.0 : dimensions.height;
    const double stepX = horizontal ? 0.0 : (dimensions.width > 0.0 ? spacing : -spacing);
    const double stepY = horizontal ? (dimensions.height > 0.0 ? spacing : -spacing) : 0.0;
    const double passCount =
        std::ceil(std::fabs(horizontal ? dimensions.height : dimensions.width) / spacing);

    // Each pass adds two points and the end adds at most two more.
    constexpr double maximumPasses = static_cast<double>((maximumToolPathPoints - 2) / 2);
    if (!(passCount <= maximumPasses)) {
        return {};
    }
    const auto passes = static_cast<std::uint64_t>(passCount);

    std::vector<Coordinate> path;
    path.reserve(static_cast<std::size_t>(passes) * 2 + 2);
    double cx = start.x;
    double cy = start.y;
    double sense = 1.0;
    for (std::uint64_t pass = 0; pass < passes; ++pass) {
        const double px = cx + sense * sweepX;
        const double py = cy + sense * sweepY;
        path.emplace_back(px, py, start.z);
        cx = clampTowards(px + stepX, start.x, farCorner.x);
        cy = clampTowards(py + stepY, start.y, farCorner.y);
        path.emplace_back(cx, cy, start.z);
        sense = -sense;
    }

    // When the last step has landed on the far corner, sweep the last row out to
    // the starting side and back so that the path still ends at the far corner.
    if (distance({cx, cy, start.z}, farCorner) <= 1.0) {
        path.emplace_back(cx - sweepX, cy - sweepY, start.z);
    }
    path.push_back(farCorner);
    return path;
}

} // namespace VeltranePatterns
