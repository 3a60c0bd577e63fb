#pragma once
// The shapes a pattern's items should leave on the surface, worked out from
// the items' own definitions and the placement (where the print started, the
// origin, scale and rotation) without any of the printing code, and the
// checks of a tip's track in the world against them.

#include <string>
#include <vector>

#include "VeltranePatterns/Source/Pattern/Pattern.hpp"
#include "simulators/instrument/World/WorldRecords.hpp"

namespace Dotfield::testing {

using Simulators::WorldPoint;

struct Placement {
    // Where the print started: the point whose height surface finding found (µm).
    double startX = 0.0;
    double startY = 0.0;
    // Pattern units.
    double originX = 0.0;
    double originY = 0.0;
    double scale = 1.0;
    double rotationDegrees = 0.0;

    // Pattern point (x, y) on the surface: scaled and turned about the pattern's
    // zero point, which lies at the start minus the scaled origin.
    WorldPoint place(double x, double y) const;
};

struct ExpectedShape {
    enum class Kind { point, path, arc, region };
    Kind kind = Kind::point;
    std::string name;
    // point: one place; path and arc: the centre line, densely sampled;
    // region: the outline, a closed polygon.
    std::vector<WorldPoint> points;
    // arc: centre and radius on the surface.
    WorldPoint center{};
    double radius = 0.0;
};

// One shape per printable item, layer by layer in the pattern's order.
std::vector<ExpectedShape> expectedShapes(const VeltranePatterns::Pattern& pattern, const Placement& placement);

// Distances in the XY plane.
double distanceToPolyline(const WorldPoint& p, const std::vector<WorldPoint>& polyline);
double distanceOutsidePolygon(const WorldPoint& p, const std::vector<WorldPoint>& outline);

// What the checks found for one shape and one track.
struct TrackFit {
    // point: the distance of the tip's rest from the place.
    double placeError = 0.0;
    // path and arc: the farthest the track strays from the centre line, and
    // the largest part of the centre line the track does not pass within.
    double largestDeviation = 0.0;
    double largestMiss = 0.0;
    // arc: the mean radius of the track and its distance from the arc's midpoint.
    double meanRadius = 0.0;
    double midpointMiss = 0.0;
    // region: the share of the region within `reach` of the track, and the
    // farthest the track goes outside the outline.
    double coverage = 0.0;
    double farthestOutside = 0.0;
};

TrackFit fitTrack(const ExpectedShape& shape, const std::vector<WorldPoint>& track, double reach);

// For each shape, the track that lies nearest it on average (the print may
// have reordered the items); each track is taken once.
std::vector<std::size_t> matchTracks(const std::vector<ExpectedShape>& shapes,
                                     const std::vector<std::vector<WorldPoint>>& tracks);

} // namespace Dotfield::testing
