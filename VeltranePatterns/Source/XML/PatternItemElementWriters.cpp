#include "VeltranePatterns/Source/XML/PatternItemElementWriters.hpp"

#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLNames.hpp"

namespace VeltranePatterns {

namespace Names = PatternXMLNames;

namespace {

void addFlag(XMLElementWriter& writer, std::string_view name) {
    writer.addProperty(name, std::string_view());
}

// Inline, so that the names are known where the lines are written.
[[gnu::always_inline]] inline void addCoordinate(XMLElementWriter& writer, const Coordinate& c,
                                                 std::string_view x, std::string_view y, std::string_view z) {
    writer.addProperty(x, c.x);
    writer.addProperty(y, c.y);
    writer.addProperty(z, c.z);
}

void addDirection(XMLElementWriter& writer, RotationalDirection direction) {
    addFlag(writer, direction == RotationalDirection::clockwise ? Names::clockwise : Names::counterClockwise);
}

// Velocity, acceleration and surface sensing, for the kinds that carry them;
// taken through the item's own (final) kind, so that they are plain reads
// rather than virtual calls.
template <typename Item> void addMotionSettings(XMLElementWriter& writer, const Item& item) {
    if (const std::optional<double> velocity = item.velocity()) {
        writer.addProperty(Names::velocity, *velocity);
    }
    if (const std::optional<double> acceleration = item.acceleration()) {
        writer.addProperty(Names::acceleration, *acceleration);
    }
    if (item.surfaceSensing()) {
        addFlag(writer, Names::surfaceSensing);
    }
}

void writeLine(XMLElementWriter& writer, const Line& line, double s) {
    addCoordinate(writer, line.startingPoint() * s, Names::x, Names::y, Names::z);
    addCoordinate(writer, line.endingPoint() * s, Names::x2, Names::y2, Names::z2);
    addMotionSettings(writer, line);
}

void writeFill(XMLElementWriter& writer, const Fill& fill, double s) {
    const Coordinate start = fill.startingCoordinate();
    const FillDimensions& d = fill.dimensions();
    addCoordinate(writer, start * s, Names::x, Names::y, Names::z);
    writer.addProperty(Names::x2, (start.x + d.width) * s);
    writer.addProperty(Names::y2, (start.y + d.height) * s);
    writer.addProperty(Names::z2, (start.z + d.depth) * s);
    addMotionSettings(writer, fill);
}

void writeArc(XMLElementWriter& writer, const Arc& arc, double s) {
    addCoordinate(writer, arc.centerPoint() * s, Names::x, Names::y, Names::z);
    addDirection(writer, arc.direction());
    writer.addProperty(Names::startAngle, arc.startAngle().value(Zovudidova::AngleUnit::degrees));
    writer.addProperty(Names::endAngle, arc.endAngle().value(Zovudidova::AngleUnit::degrees));
    writer.addProperty(Names::radius, arc.radius() * s);
    addMotionSettings(writer, arc);
}

void writeArcFill(XMLElementWriter& writer, const ArcFill& fill, double s) {
    addCoordinate(writer, fill.centerPoint() * s, Names::x, Names::y, Names::z);
    writer.addProperty(Names::insideRadius, fill.insideRadius() * s);
    writer.addProperty(Names::radius, fill.outsideRadius() * s);
    writer.addProperty(Names::startAngle, fill.startAngle().value(Zovudidova::AngleUnit::degrees));
    writer.addProperty(Names::endAngle, fill.endAngle().value(Zovudidova::AngleUnit::degrees));
    addDirection(writer, fill.direction());
    addMotionSettings(writer, fill);
}

void writePoint(XMLElementWriter& writer, const Point& point, double s) {
    addCoordinate(writer, point.location() * s, Names::x, Names::y, Names::z);
    const double milliseconds = point.duration().value(Zovudidova::TimeUnit::milliseconds);
    if (milliseconds > 0.0) {
        writer.addProperty(Names::duration, milliseconds);
    }
    if (point.surfaceSensing()) {
        addFlag(writer, Names::surfaceSensing);
    }
}

void writePolygon(XMLElementWriter& writer, const Polygon& polygon, double s) {
    for (const Coordinate& vertex : polygon.points()) {
        writer.startElement(Names::vertex);
        addCoordinate(writer, vertex * s, Names::x, Names::y, Names::z);
        writer.endElement();
    }
    addMotionSettings(writer, polygon);
}

void writePause(XMLElementWriter& writer, const PatternPause& pause) {
    writer.addProperty(Names::duration, pause.duration());
}

template <typename T, typename Write>
bool append(XMLElementWriter& writer, std::string_view name, const PatternItem& item,
            const std::string& layerName, Write write) {
    writer.startElement(name);
    write(writer, static_cast<const T&>(item));
    writer.addProperty(Names::solution, layerName);
    writer.endElement();
    return true;
}

} // namespace

void appendSolutionLayerElement(XMLElementWriter& writer, const SolutionLayer& layer) {
    writer.startElement(Names::solutionLayer);
    writer.addProperty(Names::solutionName, layer.solutionName());
    writer.endElement();
}

bool appendPatternItemElement(XMLElementWriter& parent, const PatternItem& item, const std::string& layerName,
                              double s) {
    switch (item.kind()) {
    case PatternItemKind::line:
        return append<Line>(parent, Names::line, item, layerName,
                            [s](XMLElementWriter& e, const Line& line) { writeLine(e, line, s); });
    case PatternItemKind::fill: {
        const bool horizontal = static_cast<const Fill&>(item).fillType() == Fill::FillType::horizontal;
        return append<Fill>(parent, horizontal ? Names::horizontalFill : Names::verticalFill, item, layerName,
                            [s](XMLElementWriter& e, const Fill& fill) { writeFill(e, fill, s); });
    }
    case PatternItemKind::arc:
        return append<Arc>(parent, Names::arc, item, layerName,
                           [s](XMLElementWriter& e, const Arc& arc) { writeArc(e, arc, s); });
    case PatternItemKind::arcFill:
        return append<ArcFill>(parent, Names::arcFill, item, layerName,
                               [s](XMLElementWriter& e, const ArcFill& fill) { writeArcFill(e, fill, s); });
    case PatternItemKind::point:
        return append<Point>(parent, Names::point, item, layerName,
                             [s](XMLElementWriter& e, const Point& point) { writePoint(e, point, s); });
    case PatternItemKind::polygon:
        return append<Polygon>(
            parent, Names::polygon, item, layerName,
            [s](XMLElementWriter& e, const Polygon& polygon) { writePolygon(e, polygon, s); });
    case PatternItemKind::pause:
        return append<PatternPause>(
            parent, Names::pause, item, layerName,
            [](XMLElementWriter& e, const PatternPause& pause) { writePause(e, pause); });
    }
    return false;
}

} // namespace VeltranePatterns
