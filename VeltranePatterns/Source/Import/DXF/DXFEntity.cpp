#include "VeltranePatterns/Source/Import/DXF/DXFEntity.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFVariantVisit.hpp"

#include <algorithm>
#include <cmath>

#include "VeltranePatterns/Source/Geometry/ArcExtent.hpp"
#include "VeltranePatterns/Source/Import/DXF/BulgeArcs.hpp"

namespace VeltranePatterns {

namespace {

Limits circleLimits(const Coordinate& center, double radius) {
    // The magnitude keeps the box the right way round for a negative radius,
    // which describes the same circle.
    const double r = std::fabs(radius);
    return {center.x - r, center.x + r, center.y - r, center.y + r, center.z, center.z};
}

Limits pointLimits(const Coordinate& p) { return {p.x, p.x, p.y, p.y, p.z, p.z}; }

constexpr double twoPi = 6.283185307179586;

Limits unionOf(const Limits& a, const Limits& b) {
    return {std::min(a.minX, b.minX), std::max(a.maxX, b.maxX), std::min(a.minY, b.minY),
            std::max(a.maxY, b.maxY), std::min(a.minZ, b.minZ), std::max(a.maxZ, b.maxZ)};
}

// The placement of one block reference.
struct Placement {
    Coordinate offset;
    ScaleFactors scale;
    Angle rotation;

    bool mirrorsX() const { return scale.x < 0.0; }
    bool mirrorsY() const { return scale.y < 0.0; }
    // A mirror in exactly one axis reverses the turning sense of every curve.
    bool reversesTurning() const { return mirrorsX() != mirrorsY(); }

    Coordinate map(const Coordinate& p) const { return p.correctForOffset(offset, scale, rotation); }

    std::vector<Coordinate> map(const std::vector<Coordinate>& points) const {
        std::vector<Coordinate> mapped;
        mapped.reserve(points.size());
        for (const Coordinate& p : points) {
            mapped.push_back(map(p));
        }
        return mapped;
    }

    double mapRadius(double radius) const { return radius * std::fabs(scale.x); }

    // The angles of the image of a counter-clockwise arc from start to end. The
    // image of the direction at angle a under the mirror is at pi - a (x mirrored),
    // -a (y mirrored) or a + pi (both); a single mirror reverses the sweep, so the
    // images of the end points swap roles to keep the arc counter-clockwise.
    // Every result stays in the unit of the entity's own angle.
    std::pair<Angle, Angle> mapArcAngles(const Angle& start, const Angle& end) const {
        const Angle halfTurn = Zovudidova::degrees(180.0);
        if (mirrorsX() && mirrorsY()) {
            return {(start + halfTurn) + rotation, (end + halfTurn) + rotation};
        }
        if (mirrorsX()) {
            return {(-end + halfTurn) + rotation, (-start + halfTurn) + rotation};
        }
        if (mirrorsY()) {
            return {-end + rotation, -start + rotation};
        }
        return {start + rotation, end + rotation};
    }
};

} // namespace

const std::string& DXFEntity::layerName() const {
    return std::visit([](const auto& e) -> const std::string& { return e.layerName; }, value_);
}

Limits DXFEntity::limits() const {
    return std::visit(
        Overloaded{
            [](const Arc& e) {
                // Counter-clockwise from start to end; equal angles are taken as the whole circle.
                const double start = e.startAngle.value(Zovudidova::AngleUnit::radians);
                const double end = e.endAngle.value(Zovudidova::AngleUnit::radians);
                double sweep = std::fmod(end - start, twoPi);
                if (!std::isfinite(sweep)) {
                    return circleLimits(e.center, e.radius);
                }
                if (sweep <= 0.0) {
                    sweep += twoPi;
                }
                return arcLimits(e.center, e.radius, start, sweep);
            },
            [](const Circle& e) { return circleLimits(e.center, e.radius); },
            [](const Ellipse& e) { return pointLimits(e.center); },
            [](const Line& e) {
                const Coordinate ends[] = {e.startPoint, e.endPoint};
                return VeltranePatterns::limits(ends);
            },
            [](const LWPolyLine& e) {
                const auto& vertices = e.pointsAndBulgeValues;
                std::vector<Coordinate> points;
                points.reserve(vertices.size());
                for (const auto& [point, bulge] : vertices) {
                    points.push_back(point);
                }
                Limits box = VeltranePatterns::limits(points);
                // The arc of each bulge, the closing segment's too, as the items are made.
                const std::size_t n = vertices.size();
                const std::size_t segments =
                    n < 2 ? 0 : (e.options.contains(DXFPolylineOptions::closedPolyline) ? n : n - 1);
                for (std::size_t i = 0; i < segments; ++i) {
                    const auto& [from, bulge] = vertices[i];
                    if (!bulge || *bulge == 0.0) {
                        continue;
                    }
                    if (const auto arc = bulgeArcLimits(from, vertices[(i + 1) % n].first, *bulge)) {
                        box = unionOf(box, *arc);
                    }
                }
                return box;
            },
            [](const Multiline& e) { return VeltranePatterns::limits(e.vertices); },
            [](const Point& e) { return pointLimits(e.coordinate); },
            [](const PolyLine& e) { return VeltranePatterns::limits(e.points); },
            [](const Solid& e) { return VeltranePatterns::limits(e.points); },
            [](const Spline& e) { return VeltranePatterns::limits(e.fitPoints); },
        },
        value_);
}

DXFEntity DXFEntity::correctForOffset(const Coordinate& offset, const ScaleFactors& scale,
                                      const Angle& rotation) const {
    const Placement place{offset, scale, rotation};
    return std::visit(
        Overloaded{
            [&](const Arc& e) -> DXFEntity {
                const auto [start, end] = place.mapArcAngles(e.startAngle, e.endAngle);
                return Arc{e.layerName, place.map(e.center), place.mapRadius(e.radius), start, end};
            },
            [&](const Circle& e) -> DXFEntity {
                return Circle{e.layerName, place.map(e.center), place.mapRadius(e.radius)};
            },
            [&](const Ellipse& e) -> DXFEntity {
                return Ellipse{e.layerName, place.map(e.center),
                               e.majorAxisVector.correctForOffset(Coordinate::zero, scale, rotation), e.radiusRatio,
                               e.startAngle, e.endAngle};
            },
            [&](const Line& e) -> DXFEntity {
                return Line{e.layerName, place.map(e.startPoint), place.map(e.endPoint)};
            },
            [&](const LWPolyLine& e) -> DXFEntity {
                LWPolyLine placed{e.layerName, {}, e.options};
                placed.pointsAndBulgeValues.reserve(e.pointsAndBulgeValues.size());
                for (const auto& [point, bulge] : e.pointsAndBulgeValues) {
                    std::optional<double> placedBulge = bulge;
                    if (placedBulge && place.reversesTurning()) {
                        placedBulge = -*placedBulge;
                    }
                    placed.pointsAndBulgeValues.emplace_back(place.map(point), placedBulge);
                }
                return placed;
            },
            [&](const Multiline& e) -> DXFEntity {
                return Multiline{e.layerName, place.map(e.startingPoint), place.map(e.vertices),
                                 place.map(e.offsetsFromBottom)};
            },
            [&](const Point& e) -> DXFEntity { return Point{e.layerName, place.map(e.coordinate)}; },
            [&](const PolyLine& e) -> DXFEntity { return PolyLine{e.layerName, place.map(e.points), e.options}; },
            [&](const Solid& e) -> DXFEntity { return Solid{e.layerName, place.map(e.points)}; },
            [&](const Spline& e) -> DXFEntity {
                return Spline{e.layerName, place.map(e.fitPoints), place.map(e.controlPoints), e.knotValues,
                              e.options};
            },
        },
        value_);
}

} // namespace VeltranePatterns
