#pragma once
// The pattern items of one mirrored DXF entity: lines, arcs (bulge arcs of
// light-weight polylines included), points and convex polygons. Ellipses and
// splines cannot be printed and give nothing; the import counts them.

#include <string>
#include <vector>

#include "VeltranePatterns/Source/Import/DXF/DXFEntity.hpp"
#include "VeltranePatterns/Source/Items/PatternItem.hpp"

namespace VeltranePatterns {

struct DXFEntityItems {
    std::string layerName;
    std::vector<PatternItemPtr> items;
};

DXFEntityItems patternItemsForEntity(const DXFEntity& mirroredEntity);

// One convex polygon per part of the outline, each without its collinear points.
std::vector<PatternItemPtr> convexPolygonsForOutline(const std::vector<Coordinate>& outline);

} // namespace VeltranePatterns
