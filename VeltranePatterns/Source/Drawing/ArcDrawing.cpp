#include <cmath>

#include "VeltranePatterns/Source/Drawing/ItemDrawing.hpp"
#include "VeltranePatterns/Source/Drawing/ItemLocalMapping.hpp"
#include "VeltranePatterns/Source/Items/Arc.hpp"
#include "VeltranePatterns/Source/Items/ArcFill.hpp"

namespace VeltranePatterns {

namespace {

using Zovudidova::Angle;
using Zovudidova::AngleUnit;

// A negative angle is drawn one turn further on (in its own unit); angles of a
// turn or more are drawn as they are.
double drawingAngle(const Angle& angle) {
    const Angle normalised = angle < Zovudidova::degrees(0.0) ? angle + Zovudidova::degrees(360.0) : angle;
    return normalised.value(AngleUnit::radians);
}

// The drawing's y axis points down in the preview, so an item running
// counter-clockwise in pattern terms turns toward decreasing drawing angles.
bool clockwiseFlag(RotationalDirection direction) {
    return direction == RotationalDirection::counterClockwise;
}

// A circle's centre mapped with the item-local minimum taken as centre - radius.
DrawingPoint mappedCenter(const Coordinate& center, double radius, const Coordinate& offset,
                          const ScaleFactors& scale) {
    return mapToItemLocal(center.x, center.y, center.x - radius, center.y - radius, offset, scale);
}

} // namespace

void drawArc(const Arc& arc, const Coordinate& offset, const ScaleFactors& scale, DrawingContext& context) {
    context.addArc(mappedCenter(arc.centerPoint(), arc.radius(), offset, scale), arc.radius() * scale.x,
                   drawingAngle(arc.startAngle()), drawingAngle(arc.endAngle()),
                   clockwiseFlag(arc.direction()));
    context.strokePath();
}

void drawArcFill(const ArcFill& arcFill, const Coordinate& offset, const ScaleFactors& scale,
                 DrawingContext& context) {
    const Coordinate& center = arcFill.centerPoint();
    const double outside = arcFill.outsideRadius();
    const double inside = arcFill.insideRadius();
    const DrawingPoint mapped = mappedCenter(center, outside, offset, scale);
    const double ri = inside * scale.x;
    const double ro = outside * scale.x;
    const double start = drawingAngle(arcFill.startAngle());
    const double end = drawingAngle(arcFill.endAngle());
    const bool clockwise = clockwiseFlag(arcFill.direction());

    // Points on the circles are taken at the stored angles; the arcs and the
    // full-disc test use the normalised ones.
    const auto pointAt = [&](double radius, const Angle& angle) {
        const double x = center.x + radius * Zovudidova::cos(angle);
        const double y = center.y + radius * Zovudidova::sin(angle);
        return mapToItemLocal(x, y, center.x - outside, center.y - outside, offset, scale);
    };

    const bool sameDirection = std::fabs(std::sin(start) - std::sin(end)) <= 0.01 &&
                               std::fabs(std::cos(start) - std::cos(end)) <= 0.01;
    if (sameDirection && inside == 0.0) {
        // A full disc.
        context.addArc(mapped, ro, start, end, clockwise);
    } else if (inside > 0.0) {
        // A ring sector: along the inside circle, out, and back along the outside one.
        context.moveTo(pointAt(inside, arcFill.startAngle()));
        context.addArc(mapped, ri, start, end, clockwise);
        context.addLineTo(pointAt(outside, arcFill.endAngle()));
        context.addArc(mapped, ro, end, start, !clockwise);
        context.closePath();
    } else {
        // A pie slice from the centre.
        context.moveTo(mapped);
        context.addLineTo(pointAt(outside, arcFill.startAngle()));
        context.addArc(mapped, ro, start, end, clockwise);
        context.closePath();
    }
    context.fillPath();
    context.strokePath();
}

} // namespace VeltranePatterns
