#pragma once
// How the topography graph draws a map: one line per map row, each point at
// its X offset from the map's smallest X, and at its row's Y offset plus one
// row spacing, raised towards the row above by its height over the map's
// lowest point times the plot multiplier. With the multiplier at
// (row step / height range) the whole height range spans one row spacing.

#include <cstdint>
#include <optional>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class SurfaceTopographyMap;

// What the position of every point of one map depends on.
struct TopographyPlotScale {
    double minimumX = 0.0;
    double minimumY = 0.0;
    double minimumZ = 0.0;
    // The map's Y grid spacing; 0 with fewer than two rows.
    double yGridSpacing = 0.0;
    double plotMultiplier = 10.0;

    // The map's bounds and spacing with the multiplier.
    static TopographyPlotScale of(const SurfaceTopographyMap& map, double plotMultiplier);
};

struct TopographyPlotPoint {
    // (x - minimum X) rounded half away from zero.
    std::uint64_t x = 0;
    // trunc(Y spacing) + trunc(y - minimum Y) - trunc((z - minimum Z) x multiplier).
    std::int64_t y = 0;
};

TopographyPlotPoint topographyPlotPoint(const VeltranePatterns::Coordinate& point, const TopographyPlotScale& scale);

// The multiplier that fits the map's height range into one row step, or
// nothing (keep the one in use) while the map has no height range.
std::optional<double> fittingPlotMultiplier(const SurfaceTopographyMap& map, double stepSizeInY);

} // namespace Dotfield
