#include "Dotfield/tests/EndToEnd/PrintedShapes.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "VeltranePatterns/Source/Items/Arc.hpp"
#include "VeltranePatterns/Source/Items/Fill.hpp"
#include "VeltranePatterns/Source/Items/Line.hpp"
#include "VeltranePatterns/Source/Items/Point.hpp"
#include "VeltranePatterns/Source/Items/Polygon.hpp"

namespace Dotfield::testing {

namespace {

using VeltranePatterns::patternItemAs;

// Centre lines are sampled this finely (µm on the surface).
constexpr double sampleSpacing = 2.0;

double distance(const WorldPoint& a, const WorldPoint& b) { return std::hypot(a.x - b.x, a.y - b.y); }

double distanceToSegment(const WorldPoint& p, const WorldPoint& a, const WorldPoint& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    if (length2 == 0.0) {
        return distance(p, a);
    }
    const double t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool insidePolygon(const WorldPoint& p, const std::vector<WorldPoint>& outline) {
    bool inside = false;
    for (std::size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++) {
        const WorldPoint& a = outline[i];
        const WorldPoint& b = outline[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) {
            inside = !inside;
        }
    }
    return inside;
}

// The sweep of an arc item: clockwise the angle grows from the start to the
// end, counter-clockwise it falls; equal angles are a whole turn.
std::pair<double, double> sweep(const VeltranePatterns::Arc& arc) {
    double from = arc.startAngle().value(Zovudidova::AngleUnit::radians);
    double to = arc.endAngle().value(Zovudidova::AngleUnit::radians);
    const double turn = 2.0 * std::numbers::pi;
    const bool clockwise = arc.direction() == VeltranePatterns::RotationalDirection::clockwise;
    if (from == to) {
        to = clockwise ? from + turn : from - turn;
    } else if (clockwise && to < from) {
        to += turn;
    } else if (!clockwise && from < to) {
        from += turn;
    }
    return {from, to};
}

} // namespace

WorldPoint Placement::place(double x, double y) const {
    const double angle = rotationDegrees * std::numbers::pi / 180.0;
    const double sx = x * scale;
    const double sy = y * scale;
    return {std::cos(angle) * sx - std::sin(angle) * sy + startX - originX * scale,
            std::sin(angle) * sx + std::cos(angle) * sy + startY - originY * scale, 0.0};
}

std::vector<ExpectedShape> expectedShapes(const VeltranePatterns::Pattern& pattern, const Placement& placement) {
    std::vector<ExpectedShape> shapes;
    const auto sampled = [&](auto pointAt, double length) {
        const int pieces = std::max(1, static_cast<int>(std::ceil(length * placement.scale / sampleSpacing)));
        std::vector<WorldPoint> points;
        for (int i = 0; i <= pieces; ++i) {
            points.push_back(pointAt(static_cast<double>(i) / pieces));
        }
        return points;
    };
    for (const auto& layer : pattern.solutionLayers()) {
        for (const auto& item : layer.patternItems()) {
            ExpectedShape shape;
            if (const auto point = patternItemAs<VeltranePatterns::Point>(item)) {
                shape.kind = ExpectedShape::Kind::point;
                shape.name = "point";
                shape.points = {placement.place(point->location().x, point->location().y)};
            } else if (const auto line = patternItemAs<VeltranePatterns::Line>(item)) {
                const auto a = line->startingPoint();
                const auto b = line->endingPoint();
                shape.kind = ExpectedShape::Kind::path;
                shape.name = "line";
                shape.points = sampled(
                    [&](double t) { return placement.place(a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)); },
                    std::hypot(b.x - a.x, b.y - a.y));
            } else if (const auto arc = patternItemAs<VeltranePatterns::Arc>(item)) {
                const auto [from, to] = sweep(*arc);
                const auto c = arc->centerPoint();
                const double r = arc->radius();
                shape.kind = ExpectedShape::Kind::arc;
                shape.name = "arc";
                shape.points = sampled(
                    [&](double t) {
                        const double angle = from + t * (to - from);
                        return placement.place(c.x + r * std::cos(angle), c.y + r * std::sin(angle));
                    },
                    r * std::abs(to - from));
                shape.center = placement.place(c.x, c.y);
                shape.radius = r * placement.scale;
            } else if (const auto fill = patternItemAs<VeltranePatterns::Fill>(item)) {
                const auto s = fill->startingCoordinate();
                const auto d = fill->dimensions();
                shape.kind = ExpectedShape::Kind::region;
                shape.name = "fill";
                shape.points = {placement.place(s.x, s.y), placement.place(s.x + d.width, s.y),
                                placement.place(s.x + d.width, s.y + d.height), placement.place(s.x, s.y + d.height)};
            } else if (const auto polygon = patternItemAs<VeltranePatterns::Polygon>(item)) {
                shape.kind = ExpectedShape::Kind::region;
                shape.name = "polygon";
                for (const auto& vertex : polygon->points()) {
                    shape.points.push_back(placement.place(vertex.x, vertex.y));
                }
            } else {
                continue;
            }
            shapes.push_back(std::move(shape));
        }
    }
    return shapes;
}

double distanceToPolyline(const WorldPoint& p, const std::vector<WorldPoint>& polyline) {
    if (polyline.size() == 1) {
        return distance(p, polyline.front());
    }
    double nearest = INFINITY;
    for (std::size_t i = 1; i < polyline.size(); ++i) {
        nearest = std::min(nearest, distanceToSegment(p, polyline[i - 1], polyline[i]));
    }
    return nearest;
}

double distanceOutsidePolygon(const WorldPoint& p, const std::vector<WorldPoint>& outline) {
    if (insidePolygon(p, outline)) {
        return 0.0;
    }
    double nearest = INFINITY;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        nearest = std::min(nearest, distanceToSegment(p, outline[i], outline[(i + 1) % outline.size()]));
    }
    return nearest;
}

TrackFit fitTrack(const ExpectedShape& shape, const std::vector<WorldPoint>& track, double reach) {
    TrackFit fit;
    if (track.empty()) {
        fit.placeError = fit.largestDeviation = fit.largestMiss = fit.midpointMiss = INFINITY;
        return fit;
    }
    switch (shape.kind) {
    case ExpectedShape::Kind::point:
        for (const WorldPoint& p : track) {
            fit.placeError = std::max(fit.placeError, distance(p, shape.points.front()));
        }
        break;
    case ExpectedShape::Kind::arc: {
        double sum = 0.0;
        for (const WorldPoint& p : track) {
            sum += distance(p, shape.center);
        }
        fit.meanRadius = sum / static_cast<double>(track.size());
        fit.midpointMiss = distanceToPolyline(shape.points[shape.points.size() / 2], track);
        [[fallthrough]];
    }
    case ExpectedShape::Kind::path:
        for (const WorldPoint& p : track) {
            fit.largestDeviation = std::max(fit.largestDeviation, distanceToPolyline(p, shape.points));
        }
        for (const WorldPoint& p : shape.points) {
            fit.largestMiss = std::max(fit.largestMiss, distanceToPolyline(p, track));
        }
        break;
    case ExpectedShape::Kind::region: {
        double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
        for (const WorldPoint& p : shape.points) {
            minX = std::min(minX, p.x);
            minY = std::min(minY, p.y);
            maxX = std::max(maxX, p.x);
            maxY = std::max(maxY, p.y);
        }
        const double step = reach / 4.0;
        int inside = 0;
        int covered = 0;
        for (double y = minY + step / 2.0; y < maxY; y += step) {
            for (double x = minX + step / 2.0; x < maxX; x += step) {
                const WorldPoint p{x, y, 0.0};
                if (!insidePolygon(p, shape.points)) {
                    continue;
                }
                ++inside;
                covered += distanceToPolyline(p, track) <= reach ? 1 : 0;
            }
        }
        fit.coverage = inside == 0 ? 0.0 : static_cast<double>(covered) / inside;
        for (const WorldPoint& p : track) {
            fit.farthestOutside = std::max(fit.farthestOutside, distanceOutsidePolygon(p, shape.points));
        }
        break;
    }
    }
    return fit;
}

} // namespace Dotfield::testing

namespace Dotfield::testing {

std::vector<std::size_t> matchTracks(const std::vector<ExpectedShape>& shapes,
                                     const std::vector<std::vector<WorldPoint>>& tracks) {
    std::vector<std::size_t> matched;
    std::vector<bool> taken(tracks.size(), false);
    for (const ExpectedShape& shape : shapes) {
        std::size_t best = tracks.size();
        double bestDistance = INFINITY;
        for (std::size_t t = 0; t < tracks.size(); ++t) {
            if (taken[t] || tracks[t].empty()) {
                continue;
            }
            double sum = 0.0;
            for (const WorldPoint& p : tracks[t]) {
                sum += shape.kind == ExpectedShape::Kind::region ? distanceOutsidePolygon(p, shape.points)
                                                                 : distanceToPolyline(p, shape.points);
            }
            const double mean = sum / static_cast<double>(tracks[t].size());
            if (mean < bestDistance) {
                bestDistance = mean;
                best = t;
            }
        }
        if (best < tracks.size()) {
            taken[best] = true;
        }
        matched.push_back(best);
    }
    return matched;
}

} // namespace Dotfield::testing
