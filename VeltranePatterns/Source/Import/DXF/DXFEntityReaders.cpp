// The readers that turn the groups of one DXF record into an entity. Each makes
// one pass over its groups and keeps only pending values. A number group that
// occurs again replaces the earlier value, also with text that is no number
// (the value is then missing); a missing z is 0, a missing x or y or another
// needed value gives nothing. Nothing here prints: what cannot be read is dropped.

#include <string>
#include <utility>

#include "VeltranePatterns/Source/Import/DXF/DXFGroupValues.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFParser.hpp"

namespace VeltranePatterns {

using namespace DXFGroupValues;

std::optional<DXFEntity> DXFParser::readLine(std::span<const DXFGroup> groups) const {
    std::optional<std::string> layer;
    PendingPoint start, end;
    for (const Group& g : groups) {
        switch (g.code) {
        case 8: noteLayer(layer, g); break;
        default:
            if (!start.take(g, 10)) {
                end.take(g, 11);
            }
            break;
        }
    }
    if (!start.isComplete() || !end.isComplete()) {
        return std::nullopt;
    }
    return DXFEntity::Line{layerNameOr(layer), start.coordinate(), end.coordinate()};
}

std::optional<DXFEntity> DXFParser::readPoint(std::span<const DXFGroup> groups) const {
    std::optional<std::string> layer;
    PendingPoint point;
    for (const Group& g : groups) {
        switch (g.code) {
        case 8: noteLayer(layer, g); break;
        default: point.take(g, 10); break;
        }
    }
    if (!point.isComplete()) {
        return std::nullopt;
    }
    return DXFEntity::Point{layerNameOr(layer), point.coordinate()};
}

std::optional<DXFEntity> DXFParser::readCircle(std::span<const DXFGroup> groups) const {
    std::optional<std::string> layer;
    PendingPoint center;
    std::optional<double> radius, extrusion;
    for (const Group& g : groups) {
        switch (g.code) {
        case 8: noteLayer(layer, g); break;
        case 40: radius = number(g); break;
        case 230: extrusion = number(g); break;
        default: center.take(g, 10); break;
        }
    }
    if (!center.isComplete() || !radius) {
        return std::nullopt;
    }
    return viewedAlongExtrusion(extrusion, DXFEntity::Circle{layerNameOr(layer), center.coordinate(), *radius});
}

std::optional<DXFEntity> DXFParser::readArc(std::span<const DXFGroup> groups) const {
    std::optional<std::string> layer;
    PendingPoint center;
    std::optional<double> radius, start, end, extrusion;
    for (const Group& g : groups) {
        switch (g.code) {
        case 8: noteLayer(layer, g); break;
        case 40: radius = number(g); break;
        case 50: start = number(g); break;
        case 51: end = number(g); break;
        case 230: extrusion = number(g); break;
        default: center.take(g, 10); break;
        }
    }
    if (!center.isComplete() || !radius || !start || !end) {
        return std::nullopt;
    }
    return viewedAlongExtrusion(extrusion, DXFEntity::Arc{layerNameOr(layer), center.coordinate(), *radius,
                                                          Zovudidova::degrees(*start), Zovudidova::degrees(*end)});
}

// The angles of groups 41 and 42 are taken in degrees as written.
std::optional<DXFEntity> DXFParser::readEllipse(std::span<const DXFGroup> groups) const {
    std::optional<std::string> layer;
    PendingPoint center, majorAxis;
    std::optional<double> ratio, start, end;
    for (const Group& g : groups) {
        switch (g.code) {
        case 8: noteLayer(layer, g); break;
        case 40: ratio = number(g); break;
        case 41: start = number(g); break;
        case 42: end = number(g); break;
        default:
            if (!center.take(g, 10)) {
                majorAxis.take(g, 11);
            }
            break;
        }
    }
    if (!center.isComplete() || !majorAxis.isComplete() || !ratio || !start || !end) {
        return std::nullopt;
    }
    return DXFEntity::Ellipse{layerNameOr(layer),         center.coordinate(),       majorAxis.coordinate(), *ratio,
                              Zovudidova::degrees(*start), Zovudidova::degrees(*end)};
}

// A bulge belongs to the vertex at which its segment starts: group 10 opens a
// vertex, and 20, 30 and 42 complete it.
std::optional<DXFEntity> DXFParser::readLWPolyline(std::span<const DXFGroup> groups) const {
    std::optional<std::string> layer;
    std::int64_t flags = 0;
    PendingPoint vertex;
    std::optional<double> bulge, extrusion;
    std::vector<std::pair<Coordinate, std::optional<double>>> vertices;
    const auto appendVertex = [&] {
        if (vertex.isComplete()) {
            vertices.emplace_back(vertex.coordinate(), bulge);
        }
    };
    for (const Group& g : groups) {
        switch (g.code) {
        case 8: noteLayer(layer, g); break;
        case 70: noteFlags(flags, g); break;
        case 10:
            appendVertex();
            vertex.clear();
            bulge.reset();
            vertex.x = number(g);
            break;
        case 20: vertex.y = number(g); break;
        case 30: vertex.z = number(g); break;
        case 42: bulge = number(g); break;
        case 230: extrusion = number(g); break;
        default: break;
        }
    }
    appendVertex();
    if (vertices.size() < 2) {
        return std::nullopt;
    }
    return viewedAlongExtrusion(
        extrusion, DXFEntity::LWPolyLine{layerNameOr(layer), std::move(vertices), DXFPolylineOptions(flags)});
}

// Coordinates come only from VERTEX records; the POLYLINE's own 10/20/30 and the
// vertices' flags and bulges are not used.
std::optional<DXFEntity> DXFParser::readPolyline(std::span<const DXFGroup> groups) const {
    std::optional<std::string> layer;
    std::int64_t flags = 0;
    bool inVertex = false;
    PendingPoint vertex;
    std::optional<double> extrusion;
    std::vector<Coordinate> points;
    for (const Group& g : groups) {
        switch (g.code) {
        case 0:
            if (g.name == "VERTEX") {
                vertex.appendIfComplete(points);
                vertex.clear();
                inVertex = true;
            }
            break;
        case 8: noteLayer(layer, g); break;
        case 70:
            if (!inVertex) {
                noteFlags(flags, g);
            }
            break;
        case 10:
            if (inVertex) vertex.x = number(g);
            break;
        case 20:
            if (inVertex) vertex.y = number(g);
            break;
        case 30:
            if (inVertex) vertex.z = number(g);
            break;
        case 230:
            if (!inVertex) extrusion = number(g);
            break;
        default: break;
        }
    }
    vertex.appendIfComplete(points);
    if (points.size() < 2) {
        return std::nullopt;
    }
    return viewedAlongExtrusion(extrusion,
                                DXFEntity::PolyLine{layerNameOr(layer), std::move(points), DXFPolylineOptions(flags)});
}

std::optional<DXFEntity> DXFParser::readMultiline(std::span<const DXFGroup> groups) const {
    std::optional<std::string> layer;
    PendingPoint start, vertex, offset;
    std::vector<Coordinate> vertices, offsets;
    const auto appendPending = [&] {
        vertex.appendIfComplete(vertices);
        offset.appendIfComplete(offsets);
        vertex.clear();
        offset.clear();
    };
    for (const Group& g : groups) {
        switch (g.code) {
        case 8: noteLayer(layer, g); break;
        case 10: start.x = number(g); break;
        case 20: start.y = number(g); break;
        case 30: start.z = number(g); break;
        case 11:
            appendPending();
            vertex.x = number(g);
            break;
        case 21: vertex.y = number(g); break;
        case 31: vertex.z = number(g); break;
        case 13:
            appendPending();
            offset.x = number(g);
            break;
        case 23: offset.y = number(g); break;
        case 33: offset.z = number(g); break;
        default: break;
        }
    }
    appendPending();
    if (!start.isComplete() || vertices.size() < 2) {
        return std::nullopt;
    }
    return DXFEntity::Multiline{layerNameOr(layer), start.coordinate(), std::move(vertices), std::move(offsets)};
}

// Group 230 is the z of the extrusion direction; -1 views the outline from below,
// which mirrors it in x.
std::optional<DXFEntity> DXFParser::readSolid(std::span<const DXFGroup> groups, bool isSolid) const {
    std::optional<std::string> layer;
    PendingPoint corners[4];
    std::optional<double> extrusion;
    for (const Group& g : groups) {
        const std::int64_t code = g.code;
        if (code == 8) {
            noteLayer(layer, g);
        } else if (code == 230) {
            extrusion = number(g);
        } else if (code >= 10 && code <= 13) {
            corners[code - 10].x = number(g);
        } else if (code >= 20 && code <= 23) {
            corners[code - 20].y = number(g);
        } else if (code >= 30 && code <= 33) {
            corners[code - 30].z = number(g);
        }
    }
    const double xFactor = extrusion.value_or(1.0);
    // A SOLID lists its third and fourth corners crosswise.
    const int order[4] = {0, 1, isSolid ? 3 : 2, isSolid ? 2 : 3};
    std::vector<Coordinate> points;
    for (const int index : order) {
        if (corners[index].isComplete()) {
            Coordinate corner = corners[index].coordinate();
            corner.x *= xFactor;
            points.push_back(corner);
        }
    }
    if (points.size() < 2) {
        return std::nullopt;
    }
    return DXFEntity::Solid{layerNameOr(layer), std::move(points)};
}

std::optional<DXFEntity> DXFParser::readSpline(std::span<const DXFGroup> groups) const {
    std::optional<std::string> layer;
    std::int64_t flags = 0;
    PendingPoint control, fit;
    std::vector<Coordinate> controlPoints, fitPoints;
    std::vector<double> knots;
    for (const Group& g : groups) {
        switch (g.code) {
        case 8: noteLayer(layer, g); break;
        case 70: noteFlags(flags, g); break;
        case 10:
            control.appendIfComplete(controlPoints);
            control.clear();
            control.x = number(g);
            break;
        case 20: control.y = number(g); break;
        case 30: control.z = number(g); break;
        case 11:
            control.appendIfComplete(controlPoints);
            fit.appendIfComplete(fitPoints);
            control.clear();
            fit.clear();
            fit.x = number(g);
            break;
        case 21: fit.y = number(g); break;
        case 31: fit.z = number(g); break;
        case 40:
            if (const auto knot = number(g)) {
                knots.push_back(*knot);
            }
            break;
        default: break;
        }
    }
    control.appendIfComplete(controlPoints);
    fit.appendIfComplete(fitPoints);
    if (fitPoints.size() < 2) {
        return std::nullopt;
    }
    return DXFEntity::Spline{layerNameOr(layer), std::move(fitPoints), std::move(controlPoints), std::move(knots),
                             DXFSplineOptions(flags)};
}

} // namespace VeltranePatterns
