#include "VeltranePatterns/Source/ToolPaths/ConvexPolygons.hpp"

#include <memory>

#include "VeltranePatterns/Source/Items/Polygon.hpp"
#include "VeltranePatterns/Source/ToolPaths/PolygonOutline.hpp"

namespace VeltranePatterns {

std::vector<PatternItemPtr> convexPolygonsForOutline(const std::vector<Coordinate>& outline) {
    std::vector<PatternItemPtr> items;
    for (const auto& part : splitPolygonIntoConvexParts(outline)) {
        items.push_back(std::make_shared<const Polygon>(removeCollinearPolygonPoints(part)));
    }
    return items;
}

} // namespace VeltranePatterns
