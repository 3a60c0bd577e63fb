#include "VeltranePatterns/Source/XML/PatternItemElementReaders.hpp"

#include <optional>

#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/ToolPaths/PolygonOutline.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLNames.hpp"
#include "VeltranePatterns/Source/XML/XMLNodes.hpp"
#include "Zovudidova/NumberText.hpp"

namespace VeltranePatterns {

namespace Names = PatternXMLNames;

namespace {

std::optional<double> numberOf(const xmlNode* element) {
    return Zovudidova::parseDouble(xmlTextContent(element));
}

// The last value of every child an item element may have. Each kind reads
// only the children of its own vocabulary and ignores the rest.
struct ItemChildren {
    std::optional<double> x, y, z, x2, y2, z2;
    std::optional<double> startAngle, endAngle, radius, insideRadius;
    std::optional<double> duration, velocity, acceleration;
    bool surfaceSensing = false;
    RotationalDirection direction = RotationalDirection::clockwise;
    std::string solution;
    std::vector<Coordinate> vertices;
};

std::optional<double>* numberField(ItemChildren& children, std::string_view name) {
    struct Entry {
        const char* name;
        std::optional<double> ItemChildren::*field;
    };
    static constexpr Entry entries[] = {
        {Names::x, &ItemChildren::x},
        {Names::y, &ItemChildren::y},
        {Names::z, &ItemChildren::z},
        {Names::x2, &ItemChildren::x2},
        {Names::y2, &ItemChildren::y2},
        {Names::z2, &ItemChildren::z2},
        {Names::startAngle, &ItemChildren::startAngle},
        {Names::endAngle, &ItemChildren::endAngle},
        {Names::radius, &ItemChildren::radius},
        {Names::insideRadius, &ItemChildren::insideRadius},
        {Names::duration, &ItemChildren::duration},
        {Names::velocity, &ItemChildren::velocity},
        {Names::acceleration, &ItemChildren::acceleration},
    };
    for (const Entry& entry : entries) {
        if (name == entry.name) {
            return &(children.*entry.field);
        }
    }
    return nullptr;
}

// A vertex with its x and y, or nothing when either is missing or not a number.
std::optional<Coordinate> readVertex(const xmlNode* vertex) {
    std::optional<double> x, y, z;
    std::string buffer;
    for (const xmlNode* child = vertex->children; child != nullptr; child = child->next) {
        const std::string_view name = xmlElementName(child, buffer);
        if (name == Names::x) {
            x = numberOf(child);
        } else if (name == Names::y) {
            y = numberOf(child);
        } else if (name == Names::z) {
            z = numberOf(child);
        }
    }
    if (!x || !y) {
        return std::nullopt;
    }
    return Coordinate{*x, *y, z.value_or(0.0)};
}

ItemChildren readChildren(const xmlNode* element, bool readsVertices) {
    ItemChildren children;
    std::string buffer;
    for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
        const std::string_view name = xmlElementName(child, buffer);
        if (name.empty()) {
            continue;
        }
        if (std::optional<double>* field = numberField(children, name)) {
            *field = numberOf(child);
        } else if (name == Names::surfaceSensing) {
            children.surfaceSensing = true;
        } else if (name == Names::clockwise) {
            children.direction = RotationalDirection::clockwise;
        } else if (name == Names::counterClockwise) {
            children.direction = RotationalDirection::counterClockwise;
        } else if (name == Names::solution) {
            children.solution = xmlTextContent(child);
        } else if (readsVertices && name == Names::vertex) {
            if (const std::optional<Coordinate> vertex = readVertex(child)) {
                children.vertices.push_back(*vertex);
            }
        }
    }
    return children;
}

Coordinate firstPoint(const ItemChildren& c) {
    return {*c.x, *c.y, c.z.value_or(0.0)};
}
Coordinate secondPoint(const ItemChildren& c) {
    return {*c.x2, *c.y2, c.z2.value_or(0.0)};
}

std::vector<PatternItemPtr> readPoint(const ItemChildren& c) {
    if (!c.x || !c.y) {
        return {};
    }
    return {std::make_shared<const Point>(firstPoint(c), Zovudidova::milliseconds(c.duration.value_or(0.0)),
                                          c.surfaceSensing)};
}

std::vector<PatternItemPtr> readLine(const ItemChildren& c) {
    if (!c.x || !c.y || !c.x2 || !c.y2) {
        return {};
    }
    return {std::make_shared<const Line>(firstPoint(c), secondPoint(c), c.velocity, c.acceleration,
                                         c.surfaceSensing)};
}

std::vector<PatternItemPtr> readFill(const ItemChildren& c, Fill::FillType fillType) {
    if (!c.x || !c.y || !c.x2 || !c.y2) {
        return {};
    }
    const Coordinate start = firstPoint(c);
    const Coordinate end = secondPoint(c);
    return {std::make_shared<const Fill>(start,
                                         FillDimensions{end.x - start.x, end.y - start.y, end.z - start.z},
                                         fillType, c.velocity, c.acceleration, c.surfaceSensing)};
}

std::vector<PatternItemPtr> readArc(const ItemChildren& c) {
    if (!c.x || !c.y || !c.startAngle || !c.endAngle || !c.radius) {
        return {};
    }
    return {std::make_shared<const Arc>(firstPoint(c), Zovudidova::degrees(*c.startAngle),
                                        Zovudidova::degrees(*c.endAngle), *c.radius, c.direction, c.velocity,
                                        c.acceleration, c.surfaceSensing)};
}

std::vector<PatternItemPtr> readArcFill(const ItemChildren& c) {
    if (!c.x || !c.y || !c.insideRadius || !c.radius || !c.startAngle || !c.endAngle) {
        return {};
    }
    return {std::make_shared<const ArcFill>(
        *c.insideRadius, *c.radius, firstPoint(c), Zovudidova::degrees(*c.startAngle),
        Zovudidova::degrees(*c.endAngle), c.direction, c.velocity, c.acceleration, c.surfaceSensing)};
}

std::vector<PatternItemPtr> readPolygon(const ItemChildren& c) {
    std::vector<PatternItemPtr> polygons;
    if (c.vertices.size() >= 3) {
        for (const std::vector<Coordinate>& part : splitPolygonIntoConvexParts(c.vertices)) {
            // A part left with fewer than three vertices once its collinear
            // points are gone is a sliver of a larger outline: it has no area.
            std::vector<Coordinate> outline = removeCollinearPolygonPoints(part);
            if (outline.size() >= 3) {
                polygons.push_back(std::make_shared<const Polygon>(std::move(outline), c.velocity,
                                                                   c.acceleration, c.surfaceSensing));
            }
        }
    }
    if (polygons.empty()) {
        // An outline without area (fewer than three vertices, or all on one
        // line), as imports make and the writer writes: kept as it is, so
        // that what was written reads back the same. It prints nothing.
        polygons.push_back(
            std::make_shared<const Polygon>(c.vertices, c.velocity, c.acceleration, c.surfaceSensing));
    }
    return polygons;
}

std::vector<PatternItemPtr> readPause(const ItemChildren& c) {
    return {std::make_shared<const PatternPause>(c.duration.value_or(0.0))};
}

} // namespace

bool isPatternItemElementName(std::string_view name) {
    for (const char* itemName : {Names::point, Names::line, Names::horizontalFill, Names::verticalFill,
                                 Names::arc, Names::arcFill, Names::polygon, Names::pause}) {
        if (name == itemName) {
            return true;
        }
    }
    return false;
}

ReadPatternItems readPatternItemElement(std::string_view name, const xmlNode* element) {
    if (!xmlHasChildNodes(element)) {
        return {};
    }
    const bool isPolygon = name == Names::polygon;
    ItemChildren children = readChildren(element, isPolygon);
    std::vector<PatternItemPtr> items;
    if (name == Names::point) {
        items = readPoint(children);
    } else if (name == Names::line) {
        items = readLine(children);
    } else if (name == Names::horizontalFill) {
        items = readFill(children, Fill::FillType::horizontal);
    } else if (name == Names::verticalFill) {
        items = readFill(children, Fill::FillType::vertical);
    } else if (name == Names::arc) {
        items = readArc(children);
    } else if (name == Names::arcFill) {
        items = readArcFill(children);
    } else if (isPolygon) {
        items = readPolygon(children);
    } else if (name == Names::pause) {
        items = readPause(children);
    }
    return {std::move(items), std::move(children.solution)};
}

} // namespace VeltranePatterns
