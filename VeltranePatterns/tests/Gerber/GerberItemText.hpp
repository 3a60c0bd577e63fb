#pragma once
// A readable text of each pattern item the Gerber import makes, so that tests
// compare whole items and show them in full when they differ.

#include <string>

#include "GerberTestSupport.hpp"
#include "VeltranePatterns/Source/Items/ArcFill.hpp"
#include "VeltranePatterns/Source/Items/Fill.hpp"
#include "VeltranePatterns/Source/Items/Line.hpp"
#include "VeltranePatterns/Source/Items/Point.hpp"

namespace GerberTestSupport {

inline std::string describeOptional(const std::optional<double>& value) { return value ? number(*value) : "none"; }

// Velocity, acceleration and surface sensing, which every imported item leaves unset.
inline std::string describeMotion(const VeltranePatterns::PatternItem& item) {
    if (!item.velocity() && !item.acceleration() && !item.surfaceSensing()) {
        return "";
    }
    return " velocity " + describeOptional(item.velocity()) + " acceleration " +
           describeOptional(item.acceleration()) + (item.surfaceSensing() ? " sensing" : "");
}

inline std::string describe(const VeltranePatterns::PatternItemPtr& item) {
    using namespace VeltranePatterns;
    if (const auto line = patternItemAs<Line>(item)) {
        return "Line " + describe(line->startingPoint()) + " to " + describe(line->endingPoint()) +
               describeMotion(*line);
    }
    if (const auto ring = patternItemAs<ArcFill>(item)) {
        return "ArcFill " + describe(ring->centerPoint()) + " radii " + number(ring->insideRadius()) + " to " +
               number(ring->outsideRadius()) + " angles " + ring->startAngle().description() + " to " +
               ring->endAngle().description() +
               (ring->direction() == RotationalDirection::clockwise ? " clockwise" : " counterClockwise") +
               describeMotion(*ring);
    }
    if (const auto fill = patternItemAs<Fill>(item)) {
        const FillDimensions& d = fill->dimensions();
        return "Fill " + describe(fill->startingCoordinate()) + " size " + number(d.width) + " x " +
               number(d.height) + " x " + number(d.depth) +
               (fill->fillType() == Fill::FillType::horizontal ? " horizontal" : " vertical") + describeMotion(*fill);
    }
    if (const auto point = patternItemAs<Point>(item)) {
        return "Point " + describe(point->location()) + " for " + point->duration().description() + describeMotion(*point);
    }
    return "unexpected " + std::string(patternItemKindName(item->kind()));
}

inline std::string describe(const VeltranePatterns::Limits& l) {
    return "x " + number(l.minX) + " to " + number(l.maxX) + ", y " + number(l.minY) + " to " + number(l.maxY) +
           ", z " + number(l.minZ) + " to " + number(l.maxZ);
}

} // namespace GerberTestSupport
