#include "VeltranePatterns/Source/XML/PatternItemElementWriters.hpp"

#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLNames.hpp"
#include "VeltranePatterns/Source/XML/XMLText.hpp"
#include "Zovudidova/NumberText.hpp"

namespace VeltranePatterns {

namespace Names = PatternXMLNames;

namespace {

const xmlChar* xmlText(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

xmlNode* newElement(xmlNode* parent, const char* name) { return xmlNewChild(parent, nullptr, xmlText(name), nullptr); }

void addFlag(xmlNode* parent, const char* name) { addProperty(parent, name, std::string()); }

void addCoordinate(xmlNode* element, const Coordinate& c, const char* x, const char* y, const char* z) {
    addProperty(element, x, c.x);
    addProperty(element, y, c.y);
    addProperty(element, z, c.z);
}

void addDirection(xmlNode* element, RotationalDirection direction) {
    addFlag(element, direction == RotationalDirection::clockwise ? Names::clockwise : Names::counterClockwise);
}

// Velocity, acceleration and surface sensing, for the kinds that carry them.
void addMotionSettings(xmlNode* element, const PatternItem& item) {
    if (const std::optional<double> velocity = item.velocity()) {
        addProperty(element, Names::velocity, *velocity);
    }
    if (const std::optional<double> acceleration = item.acceleration()) {
        addProperty(element, Names::acceleration, *acceleration);
    }
    if (item.surfaceSensing()) {
        addFlag(element, Names::surfaceSensing);
    }
}

void writeLine(xmlNode* element, const Line& line, double s) {
    addCoordinate(element, line.startingPoint() * s, Names::x, Names::y, Names::z);
    addCoordinate(element, line.endingPoint() * s, Names::x2, Names::y2, Names::z2);
    addMotionSettings(element, line);
}

void writeFill(xmlNode* element, const Fill& fill, double s) {
    const Coordinate start = fill.startingCoordinate();
    const FillDimensions& d = fill.dimensions();
    addCoordinate(element, start * s, Names::x, Names::y, Names::z);
    addProperty(element, Names::x2, (start.x + d.width) * s);
    addProperty(element, Names::y2, (start.y + d.height) * s);
    addProperty(element, Names::z2, (start.z + d.depth) * s);
    addMotionSettings(element, fill);
}

void writeArc(xmlNode* element, const Arc& arc, double s) {
    addCoordinate(element, arc.centerPoint() * s, Names::x, Names::y, Names::z);
    addDirection(element, arc.direction());
    addProperty(element, Names::startAngle, arc.startAngle().value(Zovudidova::AngleUnit::degrees));
    addProperty(element, Names::endAngle, arc.endAngle().value(Zovudidova::AngleUnit::degrees));
    addProperty(element, Names::radius, arc.radius() * s);
    addMotionSettings(element, arc);
}

void writeArcFill(xmlNode* element, const ArcFill& fill, double s) {
    addCoordinate(element, fill.centerPoint() * s, Names::x, Names::y, Names::z);
    addProperty(element, Names::insideRadius, fill.insideRadius() * s);
    addProperty(element, Names::radius, fill.outsideRadius() * s);
    addProperty(element, Names::startAngle, fill.startAngle().value(Zovudidova::AngleUnit::degrees));
    addProperty(element, Names::endAngle, fill.endAngle().value(Zovudidova::AngleUnit::degrees));
    addDirection(element, fill.direction());
    addMotionSettings(element, fill);
}

void writePoint(xmlNode* element, const Point& point, double s) {
    addCoordinate(element, point.location() * s, Names::x, Names::y, Names::z);
    const double milliseconds = point.duration().value(Zovudidova::TimeUnit::milliseconds);
    if (milliseconds > 0.0) {
        addProperty(element, Names::duration, milliseconds);
    }
    if (point.surfaceSensing()) {
        addFlag(element, Names::surfaceSensing);
    }
}

void writePolygon(xmlNode* element, const Polygon& polygon, double s) {
    for (const Coordinate& vertex : polygon.points()) {
        addCoordinate(newElement(element, Names::vertex), vertex * s, Names::x, Names::y, Names::z);
    }
    addMotionSettings(element, polygon);
}

void writePause(xmlNode* element, const PatternPause& pause) { addProperty(element, Names::duration, pause.duration()); }

template <typename T, typename Write>
bool append(xmlNode* parent, const char* name, const PatternItem& item, const std::string& layerName, Write write) {
    xmlNode* element = newElement(parent, name);
    write(element, static_cast<const T&>(item));
    addProperty(element, Names::solution, layerName);
    return true;
}

} // namespace

void addProperty(xmlNode* parent, const char* name, const std::string& value) {
    xmlNewTextChild(parent, nullptr, xmlText(name), xmlText(xmlSafeText(value).c_str()));
}

void addProperty(xmlNode* parent, const char* name, double value) {
    addProperty(parent, name, Zovudidova::formatDouble(value));
}

void appendSolutionLayerElement(xmlNode* parent, const SolutionLayer& layer) {
    addProperty(newElement(parent, Names::solutionLayer), Names::solutionName, layer.solutionName());
}

bool appendPatternItemElement(xmlNode* parent, const PatternItem& item, const std::string& layerName, double s) {
    switch (item.kind()) {
    case PatternItemKind::line:
        return append<Line>(parent, Names::line, item, layerName,
                            [s](xmlNode* e, const Line& line) { writeLine(e, line, s); });
    case PatternItemKind::fill: {
        const bool horizontal = static_cast<const Fill&>(item).fillType() == Fill::FillType::horizontal;
        return append<Fill>(parent, horizontal ? Names::horizontalFill : Names::verticalFill, item, layerName,
                            [s](xmlNode* e, const Fill& fill) { writeFill(e, fill, s); });
    }
    case PatternItemKind::arc:
        return append<Arc>(parent, Names::arc, item, layerName, [s](xmlNode* e, const Arc& arc) { writeArc(e, arc, s); });
    case PatternItemKind::arcFill:
        return append<ArcFill>(parent, Names::arcFill, item, layerName,
                               [s](xmlNode* e, const ArcFill& fill) { writeArcFill(e, fill, s); });
    case PatternItemKind::point:
        return append<Point>(parent, Names::point, item, layerName,
                             [s](xmlNode* e, const Point& point) { writePoint(e, point, s); });
    case PatternItemKind::polygon:
        return append<Polygon>(parent, Names::polygon, item, layerName,
                               [s](xmlNode* e, const Polygon& polygon) { writePolygon(e, polygon, s); });
    case PatternItemKind::pause:
        return append<PatternPause>(parent, Names::pause, item, layerName,
                                    [](xmlNode* e, const PatternPause& pause) { writePause(e, pause); });
    }
    return false;
}

} // namespace VeltranePatterns
