#pragma once
// The drawable side of the pattern model's items.

#include "VeltranePatterns/Source/Drawing/DrawablePatternItem.hpp"
#include "VeltranePatterns/Source/Items/PatternItem.hpp"

namespace VeltranePatterns {

// A pattern item of a kind that draws, seen as a DrawablePatternItem. Its
// limits are the item's own.
class DrawableItem final : public DrawablePatternItem {
  public:
    // The item must be of a drawable kind; see makeDrawablePatternItem.
    explicit DrawableItem(PatternItemPtr item);

    void drawAtOffset(const Coordinate& offset, const ScaleFactors& scale, double rotation,
                      DrawingContext& context) const override;
    Limits limits() const override { return item_->limits(); }

    const PatternItemPtr& item() const { return item_; }

  private:
    PatternItemPtr item_;
};

// Whether items of the kind draw: every kind but a pause.
bool isDrawable(PatternItemKind kind);

// The drawable view of an item; nullptr for a pause, which does not draw, and
// for no item.
DrawablePatternItemPtr makeDrawablePatternItem(PatternItemPtr item);

} // namespace VeltranePatterns
