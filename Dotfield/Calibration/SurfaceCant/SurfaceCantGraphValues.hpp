#pragma once
// What the two surface-cant graphs show, without drawing them: each point's
// distance from the first measured point along the graph's axis and its height
// relative to that point, and the ranges and tick intervals of both axes,
// which follow the length of the measurement line, never the data.

#include <span>
#include <vector>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

enum class SurfaceCantAxis { x, y };

struct SurfaceCantGraphPoint {
    double distance = 0.0;
    double height = 0.0;
    friend bool operator==(const SurfaceCantGraphPoint&, const SurfaceCantGraphPoint&) = default;
};

// Each point relative to the reference (the first measured point of the axis):
// (x − ref.x, z − ref.z) on the X graph, (y − ref.y, z − ref.z) on the Y graph.
std::vector<SurfaceCantGraphPoint> surfaceCantGraphPoints(std::span<const VeltranePatterns::Coordinate> points,
                                                         const VeltranePatterns::Coordinate& reference,
                                                         SurfaceCantAxis axis);

struct SurfaceCantGraphAxis {
    double minimum = 0.0;
    double maximum = 0.0;
    double majorInterval = 0.0;
    int minorTicksPerInterval = 0;
    friend bool operator==(const SurfaceCantGraphAxis&, const SurfaceCantGraphAxis&) = default;
};

struct SurfaceCantGraphBounds {
    SurfaceCantGraphAxis distance;
    SurfaceCantGraphAxis height;
    friend bool operator==(const SurfaceCantGraphBounds&, const SurfaceCantGraphBounds&) = default;
};

// The smallest major interval (µm) and the most major intervals on one axis.
inline constexpr double minimumGraphMajorInterval = 1.0;
inline constexpr double maximumGraphMajorIntervals = 20.0;

// For a measurement line of length d (µm): distances from 0 to d (either
// sign), heights within ±|d|/100; major intervals |d|/5 and 2|d|/100/5, each
// rounded to a whole number (halves away from zero), with 2 and 5 minor ticks.
// An interval is at least minimumGraphMajorInterval and never more than
// maximumGraphMajorIntervals fit on its axis. A length that is 0 or not a
// finite number draws a line 1 µm long.
SurfaceCantGraphBounds surfaceCantGraphBounds(double distanceToCalibrate);

} // namespace Dotfield
