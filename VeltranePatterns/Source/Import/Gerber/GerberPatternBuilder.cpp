#include "VeltranePatterns/Source/Import/Gerber/GerberPatternBuilder.hpp"

#include <algorithm>
#include <memory>

#include "VeltranePatterns/Source/Items/ArcFill.hpp"
#include "VeltranePatterns/Source/Items/Fill.hpp"
#include "VeltranePatterns/Source/Items/Line.hpp"
#include "VeltranePatterns/Source/Items/Point.hpp"
#include "VeltranePatterns/Source/Items/RotationalDirection.hpp"
#include "Zovudidova/Quantity.hpp"

namespace VeltranePatterns {

namespace {

Coordinate mirrored(const Coordinate& c) { return {c.x, -c.y, c.z}; }

// A rectangle of the aperture's size centred on the location.
PatternItemPtr centredFill(const Coordinate& location, double width, double height, Fill::FillType fillType) {
    const Coordinate corner{location.x - width * 0.5, location.y - height * 0.5, location.z};
    return std::make_shared<const Fill>(corner, FillDimensions{width, height, 0.0}, fillType);
}

PatternItemPtr itemFromFlash(const GerberDrawingCommand::Flash& flash) {
    const Coordinate& location = flash.location;
    const GerberApertureTemplate& aperture = flash.apertureTemplate;
    if (const auto* circle = aperture.asCircle()) {
        const double insideRadius = circle->holeDiameter ? *circle->holeDiameter * 0.5 : 0.0;
        return std::make_shared<const ArcFill>(insideRadius, circle->diameter * 0.5, location,
                                               Zovudidova::degrees(0.0), Zovudidova::degrees(360.0),
                                               RotationalDirection::clockwise);
    }
    if (const auto* rectangle = aperture.asRectangle()) {
        // Passes run along the longer side; a square is filled vertically.
        const auto fillType = rectangle->width > rectangle->height ? Fill::FillType::horizontal
                                                                   : Fill::FillType::vertical;
        return centredFill(location, rectangle->width, rectangle->height, fillType);
    }
    if (const auto* obround = aperture.asObround()) {
        return centredFill(location, obround->width, obround->height, Fill::FillType::horizontal);
    }
    return std::make_shared<const Point>(location, Zovudidova::milliseconds(0.0));
}

// Widens the box so that it holds the other one, whichever way round the other's
// bounds lie on each axis.
void widen(Limits& limits, const Limits& other) {
    limits.minX = std::min({limits.minX, other.minX, other.maxX});
    limits.maxX = std::max({limits.maxX, other.minX, other.maxX});
    limits.minY = std::min({limits.minY, other.minY, other.maxY});
    limits.maxY = std::max({limits.maxY, other.minY, other.maxY});
    limits.minZ = std::min({limits.minZ, other.minZ, other.maxZ});
    limits.maxZ = std::max({limits.maxZ, other.minZ, other.maxZ});
}

} // namespace

GerberDrawingCommand mirroredInY(const GerberDrawingCommand& command) {
    if (const auto* line = command.asLine()) {
        return GerberDrawingCommand::line(mirrored(line->from), mirrored(line->to), line->apertureTemplate);
    }
    const auto* flash = command.asFlash();
    return GerberDrawingCommand::flash(mirrored(flash->location), flash->apertureTemplate);
}

PatternItemPtr patternItemFromGerberCommand(const GerberDrawingCommand& command) {
    if (const auto* line = command.asLine()) {
        return std::make_shared<const Line>(line->from, line->to);
    }
    return itemFromFlash(*command.asFlash());
}

void GerberPatternBuilder::addDrawingCommand(const GerberDrawingCommand& command) {
    PatternItemPtr item = patternItemFromGerberCommand(mirroredInY(command));
    // The item's own box: for a flash that is the pad's whole extent, so a pad at
    // the edge of the travel cannot pass the range check with its centre alone.
    const Limits itemLimits = item->limits();
    if (!limits_) {
        limits_ = itemLimits;
    }
    widen(*limits_, itemLimits);
    items_.push_back(std::move(item));
}

} // namespace VeltranePatterns
