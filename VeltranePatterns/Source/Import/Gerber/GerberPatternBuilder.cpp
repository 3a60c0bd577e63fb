#include "VeltranePatterns/Source/Import/Gerber/GerberPatternBuilder.hpp"

#include <algorithm>
#include <cmath>
#include <memory>

#include "VeltranePatterns/Source/Items/Arc.hpp"
#include "VeltranePatterns/Source/Items/ArcFill.hpp"
#include "VeltranePatterns/Source/Items/Fill.hpp"
#include "VeltranePatterns/Source/Items/Line.hpp"
#include "VeltranePatterns/Source/Items/Point.hpp"
#include "VeltranePatterns/Source/Items/RotationalDirection.hpp"
#include "VeltranePatterns/Source/ToolPaths/ConvexPolygons.hpp"
#include "VeltranePatterns/Source/ToolPaths/RegionFill.hpp"
#include "Zovudidova/Quantity.hpp"

namespace VeltranePatterns {

namespace {

// A rectangle of the aperture's size centred on the location.
PatternItemPtr centredFill(const Coordinate& location, double width, double height, Fill::FillType fillType) {
    const Coordinate corner{location.x - width * 0.5, location.y - height * 0.5, location.z};
    return std::make_shared<const Fill>(corner, FillDimensions{width, height, 0.0}, fillType);
}

PatternItemPtr disc(const Coordinate& center, double diameter) {
    return std::make_shared<const ArcFill>(0.0, diameter * 0.5, center, Zovudidova::degrees(0.0),
                                           Zovudidova::degrees(360.0), RotationalDirection::clockwise);
}

std::vector<PatternItemPtr> itemsFromFlash(const GerberDrawingCommand::Flash& flash) {
    const Coordinate& location = flash.location;
    const GerberApertureTemplate& aperture = flash.apertureTemplate;
    if (const auto* circle = aperture.asCircle()) {
        const double insideRadius = circle->holeDiameter ? *circle->holeDiameter * 0.5 : 0.0;
        return {std::make_shared<const ArcFill>(insideRadius, circle->diameter * 0.5, location,
                                                Zovudidova::degrees(0.0), Zovudidova::degrees(360.0),
                                                RotationalDirection::clockwise)};
    }
    if (const auto* rectangle = aperture.asRectangle()) {
        // Passes run along the longer side; a square is filled vertically.
        const auto fillType = rectangle->width > rectangle->height ? Fill::FillType::horizontal
                                                                   : Fill::FillType::vertical;
        return {centredFill(location, rectangle->width, rectangle->height, fillType)};
    }
    if (const auto* obround = aperture.asObround()) {
        return {centredFill(location, obround->width, obround->height, Fill::FillType::horizontal)};
    }
    if (const auto* macro = aperture.asMacro()) {
        // The macro's shapes lie about the flash point; the command is already
        // mirrored, so they are mirrored here too.
        std::vector<PatternItemPtr> items;
        for (const auto& shape : macro->discs) {
            items.push_back(disc({location.x + shape.center.x, location.y - shape.center.y, location.z},
                                 shape.diameter));
        }
        for (const auto& outline : macro->outlines) {
            std::vector<Coordinate> placed;
            placed.reserve(outline.size());
            for (const Coordinate& p : outline) {
                placed.push_back({location.x + p.x, location.y - p.y, location.z});
            }
            for (PatternItemPtr& polygon : convexPolygonsForOutline(placed)) {
                items.push_back(std::move(polygon));
            }
        }
        return items;
    }
    return {std::make_shared<const Point>(location, Zovudidova::milliseconds(0.0))};
}

// The arc item of a mirrored arc: clockwise items run toward increasing angles
// in the pattern's axes, as the items of other imports do, so a stroke that
// turns counter-clockwise in these axes becomes a clockwise item.
PatternItemPtr itemFromArc(const GerberDrawingCommand::Arc& arc) {
    const double radius = std::hypot(arc.from.x - arc.center.x, arc.from.y - arc.center.y);
    const double start = std::atan2(arc.from.y - arc.center.y, arc.from.x - arc.center.x);
    const double sweep = GerberDrawingCommand::sweep(arc);
    return std::make_shared<const Arc>(arc.center, Zovudidova::radians(start), Zovudidova::radians(start + sweep),
                                       radius,
                                       sweep >= 0.0 ? RotationalDirection::clockwise
                                                    : RotationalDirection::counterClockwise);
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

std::vector<PatternItemPtr> patternItemsFromGerberCommand(const GerberDrawingCommand& command) {
    if (const auto* line = command.asLine()) {
        return {std::make_shared<const Line>(line->from, line->to)};
    }
    if (const auto* arc = command.asArc()) {
        return {itemFromArc(*arc)};
    }
    if (const auto* region = command.asRegion()) {
        return regionFillPolygons(region->outline);
    }
    return itemsFromFlash(*command.asFlash());
}

void GerberPatternBuilder::addDrawingCommand(const GerberDrawingCommand& command) {
    const GerberDrawingCommand mirrored = command.mirroredInY();
    // Each item's own box: for a flash that is the pad's whole extent, so a pad
    // at the edge of the travel cannot pass the range check with its centre
    // alone; for an arc the curve itself, not its whole circle.
    const auto include = [this](const Limits& box) {
        if (!limits_) {
            limits_ = box;
        }
        widen(*limits_, box);
    };
    if (mirrored.asArc() != nullptr) {
        include(mirrored.limits());
    }
    for (PatternItemPtr& item : patternItemsFromGerberCommand(mirrored)) {
        if (mirrored.asArc() == nullptr) {
            include(item->limits());
        }
        items_.push_back(std::move(item));
    }
}

} // namespace VeltranePatterns
