#include <cmath>

#include "VeltranePatterns/Source/Drawing/ItemDrawing.hpp"
#include "VeltranePatterns/Source/Drawing/ItemLocalMapping.hpp"
#include "VeltranePatterns/Source/Items/Polygon.hpp"

namespace VeltranePatterns {

void drawPolygon(const Polygon& polygon, const Coordinate& offset, const ScaleFactors& scale,
                 DrawingContext& context) {
    const std::vector<Coordinate>& points = polygon.points();
    if (points.empty()) {
        return;
    }
    const Limits box = limits(points);
    const auto mapped = [&](const Coordinate& p) {
        return mapToItemLocal(p.x, p.y, box.minX, box.minY, offset, scale);
    };

    context.moveTo(mapped(points.front()));
    for (const Coordinate& p : points) {
        // A point whose scaled place is not a number (or is infinite) has no
        // place in the outline.
        if (!std::isfinite(p.x * scale.x + offset.x) || !std::isfinite(p.y * scale.y + offset.y)) {
            continue;
        }
        context.addLineTo(mapped(p));
    }
    context.closePath();
    context.fillPath();
    context.strokePath();
}

} // namespace VeltranePatterns
