#include "VeltranePatterns/Source/ToolPaths/ConvexPolygons.hpp"

#include <memory>

#include "VeltranePatterns/Source/Items/Polygon.hpp"
#include "VeltranePatterns/Source/ToolPaths/PolygonOutline.hpp"

namespace VeltranePatterns {

std::vector<PatternItemPtr> polygonsOfParts(const std::vector<std::vector<Coordinate>>& parts) {
    std::vector<PatternItemPtr> items;
    items.reserve(parts.size());
    for (const auto& part : parts) {
        items.push_back(std::make_shared<const Polygon>(removeCollinearPolygonPoints(part)));
    }
    return items;
}

std::vector<PatternItemPtr> convexPolygonsForOutline(const std::vector<Coordinate>& outline) {
    return polygonsOfParts(splitPolygonIntoConvexParts(outline));
}

} // namespace VeltranePatterns
