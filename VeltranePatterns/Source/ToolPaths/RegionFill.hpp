#pragma once
// Filling a large filled region (a photoplot's copper pour) with few convex
// pieces. Pieces are cut off the outline greedily, each as long a run of
// consecutive vertices as stays convex and holds no other vertex, so a pour of
// tens of thousands of vertices gives pieces of many vertices each instead of
// nearly one per vertex. The pieces tile the region exactly: together they
// cover its area once. Outlines this cannot tile (crossing themselves, or of no
// area) fall back to splitPolygonIntoConvexParts.

#include <vector>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Items/PatternItem.hpp"

namespace VeltranePatterns {

// The most vertices one piece takes, so that the tool path of each stays cheap.
inline constexpr std::size_t maximumRegionPieceVertices = 512;

// The convex pieces of the outline, each in the outline's own direction.
std::vector<std::vector<Coordinate>> convexPiecesOfRegion(const std::vector<Coordinate>& outline);

// One Polygon per piece, each without its collinear points.
std::vector<PatternItemPtr> regionFillPolygons(const std::vector<Coordinate>& outline);

} // namespace VeltranePatterns
