#include "VeltranePatterns/Source/ToolPaths/PolygonOutline.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace VeltranePatterns {

namespace {

constexpr double zeroLength = 0.01;
constexpr double equalDirection = 0.05;

// The edge's x and y over its 3-D length; (0, 0) for an edge of 0.01 or less.
std::pair<double, double> planarDirection(const Coordinate& edge) {
    const double length = edge.magnitude();
    if (length > zeroLength) {
        return {edge.x / length, edge.y / length};
    }
    return {0.0, 0.0};
}

double turnAt(const Coordinate& a, const Coordinate& p, const Coordinate& b) {
    return (a.x - p.x) * (b.y - p.y) - (b.x - p.x) * (a.y - p.y);
}

// How far short of the next edge's line a walk along this edge has to stop to
// land on that line shifted inward by the distance: distance / sin(angle at the
// corner). Stepping back by the distance alone at slight corners, or at sharp
// tips, would move a ring in by only distance * sin(angle) there, so a
// tessellated curve would get ten or more rings per spacing. A corner whose
// sine is too small to divide by (a straight one) steps back by the distance.
double stepBackLength(double cosine, double distance) {
    const double sine = std::sqrt(std::max(0.0, 1.0 - cosine * cosine));
    if (sine > parallelEdgeSine) {
        return distance / sine;
    }
    return distance;
}

} // namespace

std::vector<PolygonVertexTurn> polygonVertexTurns(const std::vector<Coordinate>& points) {
    const std::size_t n = points.size();
    std::vector<PolygonVertexTurn> turns;
    turns.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Coordinate& a = points[(i + n - 1) % n];
        const Coordinate& b = points[(i + 1) % n];
        turns.push_back({points[i], turnAt(a, points[i], b)});
    }
    return turns;
}

std::vector<PolygonInsetStep> insetPolygonOutline(const std::vector<Coordinate>& points, double distance) {
    const std::size_t n = points.size();
    std::vector<PolygonInsetStep> steps;
    if (n < 3) {
        return steps;
    }
    steps.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Coordinate& a = points[i];
        const Coordinate& b = points[(i + 1) % n];
        const Coordinate& c = points[(i + 2) % n];
        const Coordinate edge = b - a;
        const double edgeLength = edge.magnitude();
        const Coordinate direction = edgeLength > zeroLength ? edge / edgeLength : Coordinate::zero;

        const Coordinate toA = a - b;
        const Coordinate toC = c - b;
        const double lengths = toA.magnitude() * toC.magnitude();
        const double cosine = lengths == 0.0 ? 0.0 : dotProduct(toA, toC) / lengths;
        steps.push_back({direction, stepBackLength(cosine, distance)});
    }
    return steps;
}

std::size_t nearestNonAdjacentVertex(std::size_t vertexIndex, const std::vector<Coordinate>& points) {
    const std::size_t n = points.size();
    if (vertexIndex >= n) {
        return vertexIndex;
    }
    const std::size_t predecessor = (vertexIndex + n - 1) % n;
    const std::size_t successor = (vertexIndex + 1) % n;
    std::size_t nearest = vertexIndex;
    double nearestDistance = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < n; ++i) {
        if (i == vertexIndex || i == predecessor || i == successor) {
            continue;
        }
        const double d = distance(points[vertexIndex], points[i]);
        if (nearest == vertexIndex || d < nearestDistance) {
            nearest = i;
            nearestDistance = d;
        }
    }
    return nearest;
}

PolygonWindingType polygonWindingType(const std::vector<Coordinate>& points) {
    std::size_t negative = 0;
    std::size_t nonNegative = 0;
    for (const PolygonVertexTurn& entry : polygonVertexTurns(points)) {
        if (entry.turn < 0.0) {
            ++negative;
        } else {
            ++nonNegative;
        }
    }
    if (nonNegative == 0) {
        return PolygonWindingType::clockwiseConvex;
    }
    if (negative == 0) {
        return PolygonWindingType::counterclockwiseConvex;
    }
    if (nonNegative < negative) {
        return PolygonWindingType::clockwiseConcave;
    }
    return PolygonWindingType::counterclockwiseConcave;
}

std::vector<Coordinate> removeCollinearPolygonPoints(const std::vector<Coordinate>& points) {
    const std::size_t n = points.size();
    if (n < 3) {
        return points;
    }
    // The edge into a vertex comes from the last vertex kept, not from its
    // predecessor in the input: on a finely divided curve every vertex turns
    // by less than the tolerance, and judging each against its input
    // neighbours would drop them all and lose the outline.
    std::vector<Coordinate> kept;
    kept.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Coordinate& a = kept.empty() ? points[n - 1] : kept.back();
        const Coordinate& p = points[i];
        const Coordinate& b = points[(i + 1) % n];
        const auto [inX, inY] = planarDirection(p - a);
        const auto [outX, outY] = planarDirection(b - p);
        const bool continuesDirection =
            std::fabs(inX - outX) <= equalDirection && std::fabs(inY - outY) <= equalDirection;
        if (!continuesDirection) {
            kept.push_back(p);
        }
    }
    return kept;
}

} // namespace VeltranePatterns
