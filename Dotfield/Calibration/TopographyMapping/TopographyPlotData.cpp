#include "Dotfield/Calibration/TopographyMapping/TopographyPlotData.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"

namespace Dotfield {

namespace {

// The value truncated toward zero, held within what the plot's integers carry.
std::int64_t truncated(double value) {
    constexpr double limit = 0x1p62;
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<std::int64_t>(std::trunc(std::clamp(value, -limit, limit)));
}

} // namespace

TopographyPlotScale TopographyPlotScale::of(const SurfaceTopographyMap& map, double plotMultiplier) {
    return {.minimumX = map.minimumX().value_or(0.0),
            .minimumY = map.minimumY().value_or(0.0),
            .minimumZ = map.minimumZ().value_or(0.0),
            .yGridSpacing = map.yGridSpacing().value_or(0.0),
            .plotMultiplier = plotMultiplier};
}

TopographyPlotPoint topographyPlotPoint(const VeltranePatterns::Coordinate& point, const TopographyPlotScale& scale) {
    const double x = std::round(point.x - scale.minimumX);
    TopographyPlotPoint plotted;
    plotted.x = x > 0.0 ? static_cast<std::uint64_t>(std::min(x, 0x1p62)) : 0;
    plotted.y = truncated(scale.yGridSpacing) + truncated(point.y - scale.minimumY) -
                truncated((point.z - scale.minimumZ) * scale.plotMultiplier);
    return plotted;
}

std::optional<double> fittingPlotMultiplier(const SurfaceTopographyMap& map, double stepSizeInY) {
    const auto minimum = map.minimumZ();
    const auto maximum = map.maximumZ();
    if (!minimum || !maximum || !(*maximum - *minimum > 0.0)) {
        return std::nullopt;
    }
    return stepSizeInY / (*maximum - *minimum);
}

} // namespace Dotfield
