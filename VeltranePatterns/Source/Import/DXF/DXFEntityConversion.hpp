#pragma once
// The pattern items of one mirrored DXF entity: lines, arcs (bulge arcs of
// light-weight polylines included), points and convex polygons. Ellipses and
// splines cannot be printed and give nothing; the import counts them.

#include <string>
#include <vector>

#include "VeltranePatterns/Source/Import/DXF/DXFEntity.hpp"
#include "VeltranePatterns/Source/Items/PatternItem.hpp"
#include "VeltranePatterns/Source/ToolPaths/ConvexPolygons.hpp"

namespace VeltranePatterns {

struct DXFEntityItems {
    std::string layerName;
    std::vector<PatternItemPtr> items;
};

DXFEntityItems patternItemsForEntity(const DXFEntity& mirroredEntity);

} // namespace VeltranePatterns
