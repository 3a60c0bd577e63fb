#pragma once
// The display layer of one pattern item: a graphics item that draws the item in
// the colour of its display state. The preview creates one per item, places it
// with setFrame() from the item's frame(), changes its scale factor, feature
// width and state as the view and the print progress change, and then asks it
// to redisplay with update(). Setting a property never repaints by itself.
//
// The layer's own coordinates run from (0, 0) to its bounds' size, and what it
// draws is clipped to them, as a layer's backing store would be.

#include <memory>

#include <QGraphicsItem>
#include <QRectF>

#include "VeltranePatterns/Source/Drawing/DisplayState.hpp"
#include "VeltranePatterns/Source/Drawing/DrawablePatternItem.hpp"
#include "VeltranePatterns/Source/Drawing/DrawingContext.hpp"

namespace VeltranePatterns {

class PatternItemLayer : public QGraphicsItem {
public:
    enum { Type = UserType + 0x5049 };

    // The layer starts in state normal, sized as resizeToMatchItem() sizes it.
    // The item must not be null.
    PatternItemLayer(DrawablePatternItemPtr patternItem, double featureWidth, double scaleFactor,
                     QGraphicsItem* parent = nullptr);

    // A copy of another layer with the same item, scale factor, feature width,
    // position and bounds, in state normal. The other layer must be a
    // PatternItemLayer; anything else stops the program.
    static std::unique_ptr<PatternItemLayer> copyOf(const QGraphicsItem& layer);

    double scaleFactor() const { return scaleFactor_; }
    void setScaleFactor(double scaleFactor) { scaleFactor_ = scaleFactor; }
    double featureWidth() const { return featureWidth_; }
    void setFeatureWidth(double featureWidth) { featureWidth_ = featureWidth; }
    DisplayState state() const { return state_; }
    void setState(DisplayState state) { state_ = state; }
    const DrawablePatternItemPtr& patternItem() const { return patternItem_; }
    // Also resizes the bounds to match the new item.
    void setPatternItem(DrawablePatternItemPtr patternItem);

    // Bounds of origin (0, 0) and the size of the item's box times the scale
    // factor; no feature-width margin is added here.
    void resizeToMatchItem();

    // The layer's rectangle in its own coordinates: origin (0, 0) and its size.
    QRectF bounds() const { return bounds_; }
    // Places the layer: position from the frame's origin (in the parent's
    // coordinates), bounds from its size.
    void setFrame(const DrawingRect& frame);
    DrawingRect frame() const;

    // Sets the graphics state for the current display state and has the item
    // draw itself half a scaled feature width inside the layer's edges.
    void drawInContext(DrawingContext& context) const;

    static const DrawingColor& normalItemColor();
    static const DrawingColor& printedItemColor();
    static const DrawingColor& selectedItemColor();
    static const DrawingColor& selectedItemShadowColor();

    // QGraphicsItem
    int type() const override { return Type; }
    QRectF boundingRect() const override { return bounds_; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void setBoundsSize(double width, double height);

    double scaleFactor_;
    double featureWidth_;
    DisplayState state_ = DisplayState::normal;
    DrawablePatternItemPtr patternItem_;
    QRectF bounds_;
};

} // namespace VeltranePatterns
