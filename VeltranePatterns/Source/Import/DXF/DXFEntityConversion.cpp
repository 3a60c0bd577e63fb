#include "VeltranePatterns/Source/Import/DXF/DXFEntityConversion.hpp"

#include <memory>
#include <optional>
#include <utility>

#include "VeltranePatterns/Source/Import/DXF/BulgeArcs.hpp"
#include "VeltranePatterns/Source/Items/Arc.hpp"
#include "VeltranePatterns/Source/Items/Line.hpp"
#include "VeltranePatterns/Source/Items/Point.hpp"
#include "VeltranePatterns/Source/Items/Polygon.hpp"
#include "VeltranePatterns/Source/ToolPaths/ConvexPolygons.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFVariantVisit.hpp"

namespace VeltranePatterns {

namespace {

using Items = std::vector<PatternItemPtr>;

PatternItemPtr line(const Coordinate& from, const Coordinate& to) { return std::make_shared<const Line>(from, to); }

// A Line from each point to the next, and back to the first when closed.
Items connectedLines(const std::vector<Coordinate>& points, bool closed) {
    Items items;
    if (points.size() < 2) {
        return items;
    }
    items.reserve(points.size());
    for (std::size_t i = 1; i < points.size(); ++i) {
        items.push_back(line(points[i - 1], points[i]));
    }
    if (closed) {
        items.push_back(line(points.back(), points.front()));
    }
    return items;
}

// The segment from one light-weight polyline vertex to the next, shaped by the
// bulge of the first: straight without a bulge or with a bulge of 0, else the
// bulge arc at z 0. Where no arc exists (both vertices at one place) the segment
// gives nothing.
void appendBulgeSegment(Items& items, const Coordinate& from, const Coordinate& to, std::optional<double> bulge) {
    if (!bulge || *bulge == 0.0) {
        items.push_back(line(from, to));
        return;
    }
    const auto arc = calculateArcBetweenPoints(from, to, *bulge);
    if (!arc) {
        return;
    }
    items.push_back(std::make_shared<const Arc>(
        Coordinate{arc->centerPoint.x, arc->centerPoint.y, 0.0}, arc->startingAngle, arc->endingAngle, arc->radius,
        arc->clockwise ? RotationalDirection::clockwise : RotationalDirection::counterClockwise));
}

Items lwPolyLineItems(const DXFEntity::LWPolyLine& e) {
    const auto& vertices = e.pointsAndBulgeValues;
    Items items;
    if (vertices.size() < 2) {
        return items;
    }
    items.reserve(vertices.size());
    for (std::size_t i = 1; i < vertices.size(); ++i) {
        appendBulgeSegment(items, vertices[i - 1].first, vertices[i].first, vertices[i - 1].second);
    }
    if (e.options.contains(DXFPolylineOptions::closedPolyline)) {
        appendBulgeSegment(items, vertices.back().first, vertices.front().first, vertices.back().second);
    }
    return items;
}

// The line along the vertices, then the line along each vertex less its offset.
Items multilineItems(const DXFEntity::Multiline& e) {
    const std::size_t n = e.vertices.size();
    if (n < 2 || e.offsetsFromBottom.size() < n) {
        return {};
    }
    Items items = connectedLines(e.vertices, false);
    std::vector<Coordinate> offsetLine;
    offsetLine.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        offsetLine.push_back(e.vertices[i] - e.offsetsFromBottom[i]);
    }
    Items offsetItems = connectedLines(offsetLine, false);
    items.insert(items.end(), std::make_move_iterator(offsetItems.begin()), std::make_move_iterator(offsetItems.end()));
    return items;
}

} // namespace

DXFEntityItems patternItemsForEntity(const DXFEntity& mirroredEntity) {
    using Zovudidova::degrees;
    Items items = std::visit(
        Overloaded{
            [](const DXFEntity::Arc& e) -> Items {
                return {std::make_shared<const Arc>(e.center, e.startAngle, e.endAngle, e.radius,
                                                    RotationalDirection::clockwise)};
            },
            [](const DXFEntity::Circle& e) -> Items {
                return {std::make_shared<const Arc>(e.center, degrees(0.0), degrees(360.0), e.radius,
                                                    RotationalDirection::clockwise)};
            },
            [](const DXFEntity::Ellipse&) -> Items { return {}; },
            [](const DXFEntity::Line& e) -> Items { return {line(e.startPoint, e.endPoint)}; },
            [](const DXFEntity::LWPolyLine& e) -> Items { return lwPolyLineItems(e); },
            [](const DXFEntity::Multiline& e) -> Items { return multilineItems(e); },
            [](const DXFEntity::Point& e) -> Items {
                return {std::make_shared<const Point>(e.coordinate, Zovudidova::milliseconds(0.0))};
            },
            [](const DXFEntity::PolyLine& e) -> Items {
                return connectedLines(e.points, e.options.contains(DXFPolylineOptions::closedPolyline));
            },
            [](const DXFEntity::Solid& e) -> Items {
                return e.points.size() < 2 ? Items{} : convexPolygonsForOutline(e.points);
            },
            [](const DXFEntity::Spline&) -> Items { return {}; },
        },
        mirroredEntity.value());
    return {mirroredEntity.layerName(), std::move(items)};
}

} // namespace VeltranePatterns
