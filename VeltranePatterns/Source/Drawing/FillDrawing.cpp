#include <cmath>

#include "VeltranePatterns/Source/Drawing/ItemDrawing.hpp"
#include "VeltranePatterns/Source/Items/Fill.hpp"

namespace VeltranePatterns {

void drawFill(const Fill& fill, const Coordinate& offset, const ScaleFactors& scale,
              DrawingContext& context) {
    // The rectangle is the item's whole box, whichever way its dimensions
    // point, so its corner is the offset.
    const DrawingRect rect{offset.x, offset.y, std::fabs(fill.dimensions().width) * scale.x,
                           std::fabs(fill.dimensions().height) * scale.y};
    context.addRect(rect);
    // Painting the rectangle leaves the path in place for the outline.
    context.fillRect(rect);
    context.strokePath();
}

} // namespace VeltranePatterns
