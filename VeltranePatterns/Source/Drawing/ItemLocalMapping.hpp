#pragma once
// The item-local mapping shared by the item drawings: a pattern point is drawn
// relative to the minimum corner of the item's box, scaled, then moved by the
// offset.

#include "VeltranePatterns/Source/Drawing/DrawingContext.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace VeltranePatterns {

inline DrawingPoint mapToItemLocal(double x, double y, double minX, double minY, const Coordinate& offset,
                                   const ScaleFactors& scale) {
    return {(x - minX) * scale.x + offset.x, (y - minY) * scale.y + offset.y};
}

} // namespace VeltranePatterns
