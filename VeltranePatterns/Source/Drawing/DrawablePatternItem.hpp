#pragma once
// The drawing side of a pattern item: it adds its outline or area to a
// drawing context and paints it, and says how large a display layer must be
// to hold it.
//
// Items draw relative to their own bounding box: with (minX, minY) from
// limits(), a pattern point (px, py) lands at
//   x = (px - minX) * scale.x + offset.x,  y = (py - minY) * scale.y + offset.y,
// and a radius r is drawn as r * scale.x on both axes. z, offset.z, scale.z and
// the rotation argument play no part in any drawing.

#include <memory>

#include "VeltranePatterns/Source/Drawing/DrawingContext.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Geometry/Limits.hpp"

namespace VeltranePatterns {

class DrawablePatternItem {
public:
    virtual ~DrawablePatternItem() = default;

    // Adds the item's path to the context and paints it with the context's
    // current graphics state.
    virtual void drawAtOffset(const Coordinate& offset, const ScaleFactors& scale, double rotation,
                              DrawingContext& context) const = 0;

    // The item's bounding box.
    virtual Limits limits() const = 0;

    // The rectangle a layer needs to show the item: its box widened by half a
    // feature width on every side and scaled, the size rounded up to whole
    // display points, then moved by the offset.
    DrawingRect frame(double scaleFactor, double featureWidth, DrawingPoint offset) const;

protected:
    DrawablePatternItem() = default;
    DrawablePatternItem(const DrawablePatternItem&) = default;
    DrawablePatternItem& operator=(const DrawablePatternItem&) = default;
};

using DrawablePatternItemPtr = std::shared_ptr<const DrawablePatternItem>;

// The frame of any box, as DrawablePatternItem::frame gives it for an item's limits.
DrawingRect frameOfLimits(const Limits& limits, double scaleFactor, double featureWidth, DrawingPoint offset);

} // namespace VeltranePatterns
