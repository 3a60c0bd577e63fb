#include "VeltranePatterns/Source/Drawing/ItemDrawing.hpp"
#include "VeltranePatterns/Source/Items/Point.hpp"

namespace VeltranePatterns {

namespace {

// Half the length of the segment that stands for a point: short enough to be
// invisible, so that the round caps of the layer make it a dot as wide as the
// line.
constexpr double pointHalfLength = 0.01;

} // namespace

void drawPoint(const Point& /*point*/, const Coordinate& offset, const ScaleFactors& /*scale*/,
               DrawingContext& context) {
    // The point's box is its own location, so its mapped location is the offset.
    context.moveTo({offset.x - pointHalfLength, offset.y});
    context.addLineTo({offset.x + pointHalfLength, offset.y});
    context.strokePath();
}

} // namespace VeltranePatterns
