#pragma once
// Keeps a contour's points at their height above the surface. A line's end
// points already sit at the surface's heights there (the corrected points the
// printing engine hands over), so the straight line between them rises
// evenly; each point is raised by how far the measured surface departs from
// that even rise at its place. An arc's points are raised by the surface's
// height difference to the arc's centre: from the topography map where it has
// both heights, else from the surface cant.

#include <vector>

#include "Dotfield/Robotics/SmartMotor/ContouringCoordinate.hpp"
#include "Dotfield/Robotics/SurfaceCant.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class SurfaceTopographyMap;

// Point p, a fraction f of the way from `from` to `to` (in X and Y), is raised
// by (h(p) − h(from)) − f·(h(to) − h(from)): nothing at either end, nothing
// anywhere on a plane. Without a height at either end, or at the point, the
// point stays as it is.
void followSurfaceAlongLine(std::vector<ContouringCoordinate>& points, const VeltranePatterns::Coordinate& from,
                            const VeltranePatterns::Coordinate& to, const SurfaceTopographyMap& map);

// Each point p is raised by h(p) − h(center) where the map (when given) has
// both heights, else by (p − center) · (cant x, cant y).
void followSurfaceAroundArc(std::vector<ContouringCoordinate>& points, const VeltranePatterns::Coordinate& center,
                            const SurfaceCant& cant, const SurfaceTopographyMap* map);

} // namespace Dotfield
