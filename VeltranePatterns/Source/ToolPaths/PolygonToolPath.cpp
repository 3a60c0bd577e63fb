#include "VeltranePatterns/Source/ToolPaths/PolygonToolPath.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "VeltranePatterns/Source/ToolPaths/PolygonOutline.hpp"
#include "VeltranePatterns/Source/ToolPaths/ToolPathLimits.hpp"

namespace VeltranePatterns {

namespace {

bool isFinite(const Coordinate& c) { return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z); }

struct Box {
    Coordinate minimum;
    Coordinate maximum;

    explicit Box(const Coordinate& c) : minimum(c), maximum(c) {}

    void include(const Coordinate& c) {
        minimum = {c.x < minimum.x ? c.x : minimum.x, c.y < minimum.y ? c.y : minimum.y,
                   c.z < minimum.z ? c.z : minimum.z};
        maximum = {maximum.x <= c.x ? c.x : maximum.x, maximum.y <= c.y ? c.y : maximum.y,
                   maximum.z <= c.z ? c.z : maximum.z};
    }

    Coordinate clamp(const Coordinate& c) const {
        return {std::clamp(c.x, minimum.x, maximum.x), std::clamp(c.y, minimum.y, maximum.y),
                std::clamp(c.z, minimum.z, maximum.z)};
    }
};

double crossXY(const Coordinate& a, const Coordinate& b) { return a.x * b.y - a.y * b.x; }

// +1 for an outline running counter-clockwise (y up), -1 for clockwise, 0 for
// one without area.
double orientation(const std::vector<Coordinate>& points) {
    double twiceArea = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        twiceArea += crossXY(points[i], points[(i + 1) % points.size()]);
    }
    if (twiceArea > 0.0) {
        return 1.0;
    }
    return twiceArea < 0.0 ? -1.0 : 0.0;
}

Coordinate inwardNormal(const Coordinate& direction, double sense) {
    return {-direction.y * sense, direction.x * sense, 0.0};
}

// The next ring's first point when the closing edge of a ring is too short to
// reach the next ring's first edge line by stepping back along it: the corner
// where the closing edge line and the first edge line, both moved in by the
// spacing, meet. Nothing when that corner lies beyond the next ring's second
// edge line, which means the next ring would be turned inside out.
std::optional<Coordinate> nextRingCorner(const Coordinate& current, const Coordinate& closingDirection,
                                         const Coordinate& firstPoint, const Coordinate& firstDirection,
                                         const Coordinate& secondPoint, const Coordinate& secondDirection,
                                         double spacing, double sense) {
    const double denominator = crossXY(closingDirection, firstDirection);
    if (sense == 0.0 || std::fabs(denominator) <= parallelEdgeSine) {
        return std::nullopt;
    }
    const Coordinate from = current + spacing * inwardNormal(closingDirection, sense);
    const Coordinate to = firstPoint + spacing * inwardNormal(firstDirection, sense);
    const double along = crossXY(to - from, firstDirection) / denominator;
    const Coordinate corner = from + along * closingDirection;
    const Coordinate secondNormal = inwardNormal(secondDirection, sense);
    const double inside = dotProduct(corner - secondPoint, secondNormal) - spacing;
    if (!(inside > 0.0) || !isFinite(corner)) {
        return std::nullopt;
    }
    return corner;
}

// Extent of a ring in x and y: a ring narrower than two spacings cannot hold
// another ring inside it.
bool canHoldAnotherRing(const std::vector<Coordinate>& ring, double spacing) {
    Box box(ring.front());
    for (const Coordinate& c : ring) {
        box.include(c);
    }
    return box.maximum.x - box.minimum.x >= 2.0 * spacing && box.maximum.y - box.minimum.y >= 2.0 * spacing;
}

bool hasSlightTurn(const std::vector<Coordinate>& ring) {
    const std::vector<PolygonVertexTurn> turns = polygonVertexTurns(ring);
    return std::any_of(turns.begin(), turns.end(),
                       [](const PolygonVertexTurn& entry) { return std::fabs(entry.turn) <= 0.01; });
}

} // namespace

std::vector<Coordinate> calculatePolygonDrawingCoordinates(const Polygon& polygon, double featureWidth,
                                                           double scaleFactor) {
    const std::vector<Coordinate>& points = polygon.points();
    const double spacing = featureWidth * 0.5 / scaleFactor;
    if (points.size() < 3 || !(spacing > 0.0) || !std::isfinite(spacing) ||
        !std::all_of(points.begin(), points.end(), isFinite)) {
        return {};
    }
    const double sense = orientation(points);

    std::vector<Coordinate> path;
    std::size_t passes = 0;
    std::vector<Coordinate> ring = points;
    // Each round walks a ring and then spirals inward pass by pass while the
    // passes keep every point; a pass that loses a point hands what is left of
    // its ring to the next round.
    while (true) {
        const std::size_t n = ring.size();
        const std::vector<PolygonInsetStep> steps = insetPolygonOutline(ring, spacing);
        std::vector<Coordinate> base = std::move(ring);
        Coordinate current = base.front();
        std::optional<Box> previousBox;
        std::vector<Coordinate> next;
        while (true) {
            if (++passes > maximumPolygonPasses) {
                return {};
            }
            const bool firstPass = !previousBox.has_value();
            Box box(base.front());
            next.clear();
            std::optional<Coordinate> closingPoint;
            for (std::size_t k = 0; k < n; ++k) {
                const std::size_t j = k + 1 == n ? 0 : k + 1;
                const Coordinate& a = steps[k].direction;
                const Coordinate& b = steps[j].direction;
                const double c = a.y * b.x - a.x * b.y;
                double t = std::fabs(c) <= parallelEdgeSine
                               ? distanceXY(base[k], base[j])
                               : ((current.x - base[j].x) * b.y - (current.y - base[j].y) * b.x) / c;
                if (j == 0 || !firstPass) {
                    t = std::max(t - steps[k].stepBack, 0.0);
                }
                Coordinate p = current + t * a;
                bool usable = t > 0.0;
                if (!usable && j == 0 && next.size() == n - 1) {
                    // Every other point of the pass was kept: move on to the next
                    // ring at its corner instead of losing the whole ring.
                    if (const std::optional<Coordinate> corner =
                            nextRingCorner(current, a, base[0], b, base[1], steps[1].direction, spacing, sense)) {
                        p = *corner;
                        usable = true;
                    }
                }
                if (!firstPass) {
                    p = previousBox->clamp(p);
                }
                if (usable && isFinite(p)) {
                    if (j == 0) {
                        closingPoint = p;
                    } else {
                        next.push_back(p);
                    }
                    if (path.size() >= maximumToolPathPoints) {
                        return {};
                    }
                    path.push_back(p);
                    current = p;
                }
                box.include(p);
            }
            if (closingPoint) {
                next.insert(next.begin(), *closingPoint);
            }
            if (next.size() == n) {
                std::swap(base, next);
                previousBox = box;
                continue;
            }
            if (next.size() < 3 || (next.size() <= 4 && hasSlightTurn(next)) || !canHoldAnotherRing(next, spacing)) {
                return path;
            }
            ring = std::move(next);
            break;
        }
    }
}

} // namespace VeltranePatterns
