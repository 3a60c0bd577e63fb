#include "VeltranePatterns/Source/Import/Gerber/GerberDrawingCommand.hpp"

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "VeltranePatterns/Source/Geometry/ArcExtent.hpp"

namespace VeltranePatterns {

namespace {

// The end point's value wins ties for the maximum and loses them for the minimum,
// which only matters for signed zeros.
double lowerOf(double from, double to) { return to < from ? to : from; }
double upperOf(double from, double to) { return from <= to ? to : from; }

} // namespace

double GerberDrawingCommand::sweep(const Arc& arc) {
    constexpr double twoPi = 6.283185307179586;
    const double start = std::atan2(arc.from.y - arc.center.y, arc.from.x - arc.center.x);
    const double end = std::atan2(arc.to.y - arc.center.y, arc.to.x - arc.center.x);
    if (arc.clockwise) {
        double turn = start - end;
        while (turn <= 0.0) {
            turn += twoPi;
        }
        return -turn;
    }
    double turn = end - start;
    while (turn <= 0.0) {
        turn += twoPi;
    }
    return turn;
}

std::size_t GerberDrawingCommand::itemCountBound() const {
    if (const auto* region = asRegion()) {
        return std::max<std::size_t>(region->outline.size(), 1);
    }
    if (const auto* flash = asFlash()) {
        if (const auto* macro = flash->apertureTemplate.asMacro()) {
            return std::max<std::size_t>(macro->discs.size() + macro->outlines.size(), 1);
        }
    }
    return 1;
}

GerberDrawingCommand GerberDrawingCommand::translated(const Coordinate& offset) const {
    return std::visit(
        [&offset](const auto& c) -> GerberDrawingCommand {
            using Case = std::decay_t<decltype(c)>;
            Case moved = c;
            if constexpr (std::is_same_v<Case, Line>) {
                moved.from = c.from + offset;
                moved.to = c.to + offset;
            } else if constexpr (std::is_same_v<Case, Flash>) {
                moved.location = c.location + offset;
            } else if constexpr (std::is_same_v<Case, Arc>) {
                moved.from = c.from + offset;
                moved.to = c.to + offset;
                moved.center = c.center + offset;
            } else {
                for (Coordinate& p : moved.outline) {
                    p = p + offset;
                }
            }
            return GerberDrawingCommand(std::move(moved));
        },
        kind_);
}

GerberDrawingCommand GerberDrawingCommand::mirroredInY() const {
    const auto flip = [](const Coordinate& c) { return Coordinate{c.x, -c.y, c.z}; };
    return std::visit(
        [&flip](const auto& c) -> GerberDrawingCommand {
            using Case = std::decay_t<decltype(c)>;
            Case mirrored = c;
            if constexpr (std::is_same_v<Case, Line>) {
                mirrored.from = flip(c.from);
                mirrored.to = flip(c.to);
            } else if constexpr (std::is_same_v<Case, Flash>) {
                mirrored.location = flip(c.location);
            } else if constexpr (std::is_same_v<Case, Arc>) {
                // The mirror image turns the other way.
                mirrored.from = flip(c.from);
                mirrored.to = flip(c.to);
                mirrored.center = flip(c.center);
                mirrored.clockwise = !c.clockwise;
            } else {
                for (Coordinate& p : mirrored.outline) {
                    p = flip(p);
                }
            }
            return GerberDrawingCommand(std::move(mirrored));
        },
        kind_);
}

Limits GerberDrawingCommand::limits() const {
    if (const Line* line = asLine()) {
        return Limits{lowerOf(line->from.x, line->to.x), upperOf(line->from.x, line->to.x),
                      lowerOf(line->from.y, line->to.y), upperOf(line->from.y, line->to.y),
                      lowerOf(line->from.z, line->to.z), upperOf(line->from.z, line->to.z)};
    }
    if (const Arc* arc = asArc()) {
        const double radius = std::hypot(arc->from.x - arc->center.x, arc->from.y - arc->center.y);
        const double turn = sweep(*arc);
        const double start = std::atan2(arc->from.y - arc->center.y, arc->from.x - arc->center.x);
        // Counter-clockwise from whichever end the turn leaves from.
        return turn >= 0.0 ? arcLimits(arc->center, radius, start, turn)
                           : arcLimits(arc->center, radius, start + turn, -turn);
    }
    if (const Region* region = asRegion()) {
        return VeltranePatterns::limits(region->outline);
    }
    const Coordinate& location = std::get<Flash>(kind_).location;
    return Limits{location.x, location.x, location.y, location.y, location.z, location.z};
}

} // namespace VeltranePatterns
