#include "VeltranePatterns/Source/Items/PatternItem.hpp"

#include <cmath>

namespace VeltranePatterns {

std::string_view patternItemKindName(PatternItemKind kind) {
    switch (kind) {
    case PatternItemKind::line:
        return "Line";
    case PatternItemKind::point:
        return "Point";
    case PatternItemKind::pause:
        return "PatternPause";
    case PatternItemKind::arc:
        return "Arc";
    case PatternItemKind::arcFill:
        return "ArcFill";
    case PatternItemKind::fill:
        return "Fill";
    case PatternItemKind::polygon:
        return "Polygon";
    }
    return "PatternItem";
}

bool PatternItem::connectsWith(const PatternItem& other) const {
    const std::optional<Coordinate> end = endingCoordinate();
    if (!end) {
        return false;
    }
    const Coordinate start = other.startingCoordinate();
    return std::fabs(end->x - start.x) <= 0.01 && std::fabs(end->y - start.y) <= 0.01 &&
           std::fabs(end->z - start.z) <= 0.01;
}

} // namespace VeltranePatterns
