#include "VeltranePatterns/Source/Drawing/DrawablePatternItem.hpp"

#include <cmath>

namespace VeltranePatterns {

DrawingRect frameOfLimits(const Limits& limits, double scaleFactor, double featureWidth, DrawingPoint offset) {
    // Only the size is rounded: a layer whose size falls a hair short would cut
    // off the edge of the item's outline.
    return {
        .x = (limits.minX - featureWidth * 0.5) * scaleFactor + offset.x,
        .y = (limits.minY - featureWidth * 0.5) * scaleFactor + offset.y,
        .width = std::ceil(((limits.maxX - limits.minX) + featureWidth) * scaleFactor),
        .height = std::ceil(((limits.maxY - limits.minY) + featureWidth) * scaleFactor),
    };
}

DrawingRect DrawablePatternItem::frame(double scaleFactor, double featureWidth, DrawingPoint offset) const {
    return frameOfLimits(limits(), scaleFactor, featureWidth, offset);
}

} // namespace VeltranePatterns
