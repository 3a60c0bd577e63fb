#include "VeltranePatterns/Source/Drawing/ItemDrawing.hpp"
#include "VeltranePatterns/Source/Drawing/ItemLocalMapping.hpp"
#include "VeltranePatterns/Source/Items/Line.hpp"

namespace VeltranePatterns {

void drawLine(const Line& line, const Coordinate& offset, const ScaleFactors& scale,
              DrawingContext& context) {
    const Limits box = line.limits();
    const Coordinate& start = line.startingPoint();
    const Coordinate& end = line.endingPoint();
    context.moveTo(mapToItemLocal(start.x, start.y, box.minX, box.minY, offset, scale));
    context.addLineTo(mapToItemLocal(end.x, end.y, box.minX, box.minY, offset, scale));
    context.strokePath();
}

} // namespace VeltranePatterns
