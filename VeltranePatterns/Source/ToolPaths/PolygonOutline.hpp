#pragma once
// Helpers that prepare polygon outlines read from files and that the polygon
// tool path builds on. Lengths and cross products of 0.01 or less count as
// zero, and direction differences of 0.05 or less as equal.

#include <cstddef>
#include <vector>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace VeltranePatterns {

struct PolygonVertexTurn {
    Coordinate vertex;
    // (A - P) x (B - P) in x and y, with A the predecessor and B the successor of
    // the vertex P: negative at the convex vertices of a counter-clockwise
    // outline (y up), positive at those of a clockwise one, 0 on a straight line.
    double turn = 0.0;
};

struct PolygonInsetStep {
    // Unit direction of the edge leaving the vertex; zero for an edge of 0.01 or less.
    Coordinate direction;
    // How far short of the next edge's line a walk along this edge stops so as
    // to land on that line shifted inward by the inset distance.
    double stepBack = 0.0;
};

// Corners whose turn has a sine of this or less count as straight: the tool
// path treats their two edges as parallel, and the step table steps back by the
// inset distance itself there.
inline constexpr double parallelEdgeSine = 1e-6;

enum class PolygonWindingType {
    clockwiseConvex,
    counterclockwiseConvex,
    clockwiseConcave,
    counterclockwiseConcave
};

// One entry per vertex, cyclic; empty for an empty outline.
std::vector<PolygonVertexTurn> polygonVertexTurns(const std::vector<Coordinate>& points);

// One entry per vertex for an inset of the given distance; empty for fewer than
// 3 points. The step back is distance / sin(angle at the next vertex), so that
// rings stay one inset apart also at the slight corners of a tessellated curve
// and at sharp tips; it is the distance itself at a straight corner.
std::vector<PolygonInsetStep> insetPolygonOutline(const std::vector<Coordinate>& points, double distance);

// Of all vertices but the given one and its two neighbours, the one nearest to
// it in 3-D (the lowest index on equal distances); the vertex itself when there
// is no other.
std::size_t nearestNonAdjacentVertex(std::size_t vertexIndex, const std::vector<Coordinate>& points);

PolygonWindingType polygonWindingType(const std::vector<Coordinate>& points);

// The convex parts of an outline, cutting along the diagonal from the first
// minority-turn vertex to its nearest non-adjacent vertex, first part first. A
// convex outline is its own single part; fewer than 3 points give no parts, a
// mixed-turn triangle is dropped, and an outline with a coordinate that is not
// finite gives no parts.
std::vector<std::vector<Coordinate>> splitPolygonIntoConvexParts(const std::vector<Coordinate>& points);

// The outline without the vertices that continue the direction of the edge
// before them (from the last vertex kept) within 0.05 in x and y; outlines of
// fewer than 3 points are returned unchanged.
std::vector<Coordinate> removeCollinearPolygonPoints(const std::vector<Coordinate>& points);

} // namespace VeltranePatterns
