#include "VeltranePatterns/Source/Drawing/PatternItemLayer.hpp"

#include <cmath>
#include <utility>

#include <QPainter>

#include "Diagnostics/ProgramStop.hpp"
#include "VeltranePatterns/Source/Drawing/PainterDrawingContext.hpp"

namespace VeltranePatterns {

namespace {

constexpr double selectedShadowBlur = 5.0;

// A size that is not a number, infinite or negative would break the scene's
// index; such an item is given an empty layer instead.
double usableSize(double size) { return std::isfinite(size) && size > 0.0 ? size : 0.0; }

DrawablePatternItemPtr checkedItem(DrawablePatternItemPtr item) {
    if (!item) {
        Diagnostics::stopProgram("A PatternItemLayer needs an item to draw");
    }
    return item;
}

} // namespace

PatternItemLayer::PatternItemLayer(DrawablePatternItemPtr patternItem, double featureWidth, double scaleFactor,
                                   QGraphicsItem* parent)
    : QGraphicsItem(parent), scaleFactor_(scaleFactor), featureWidth_(featureWidth),
      patternItem_(checkedItem(std::move(patternItem))) {
    resizeToMatchItem();
}

std::unique_ptr<PatternItemLayer> PatternItemLayer::copyOf(const QGraphicsItem& layer) {
    const auto* other = qgraphicsitem_cast<const PatternItemLayer*>(&layer);
    if (other == nullptr) {
        Diagnostics::stopProgram("Somehow tried to internally copy another layer to a PatternItemLayer");
    }
    auto copy = std::make_unique<PatternItemLayer>(other->patternItem_, other->featureWidth_, other->scaleFactor_);
    copy->setFrame(other->frame());
    return copy;
}

void PatternItemLayer::setPatternItem(DrawablePatternItemPtr patternItem) {
    patternItem_ = checkedItem(std::move(patternItem));
    resizeToMatchItem();
}

void PatternItemLayer::resizeToMatchItem() {
    const Limits limits = patternItem_->limits();
    setBoundsSize(scaleFactor_ * (limits.maxX - limits.minX), scaleFactor_ * (limits.maxY - limits.minY));
}

void PatternItemLayer::setFrame(const DrawingRect& frame) {
    setPos(std::isfinite(frame.x) ? frame.x : 0.0, std::isfinite(frame.y) ? frame.y : 0.0);
    setBoundsSize(frame.width, frame.height);
}

DrawingRect PatternItemLayer::frame() const { return {pos().x(), pos().y(), bounds_.width(), bounds_.height()}; }

void PatternItemLayer::setBoundsSize(double width, double height) {
    const QRectF bounds(0.0, 0.0, usableSize(width), usableSize(height));
    if (bounds != bounds_) {
        prepareGeometryChange();
        bounds_ = bounds;
    }
}

void PatternItemLayer::drawInContext(DrawingContext& context) const {
    const double product = scaleFactor_ * featureWidth_;
    const double lineWidth = std::isnan(product) || product < 1.0 ? 1.0 : product;
    context.setLineJoin(LineJoin::round);
    context.setLineCap(LineCap::round);
    context.setLineWidth(lineWidth);

    switch (state_) {
    case DisplayState::selected:
        context.setStrokeColor(selectedItemColor());
        context.setFillColor(selectedItemColor());
        context.setShadow({.offset = {0.0, 0.0}, .blur = selectedShadowBlur, .color = selectedItemShadowColor()});
        break;
    case DisplayState::normal:
        context.setStrokeColor(normalItemColor());
        context.setFillColor(normalItemColor());
        break;
    case DisplayState::printed:
        context.setStrokeColor(printedItemColor());
        context.setFillColor(printedItemColor());
        break;
    }

    const double inset = featureWidth_ * scaleFactor_ * 0.5;
    patternItem_->drawAtOffset(Coordinate(inset, inset, 0.0), ScaleFactors{scaleFactor_, scaleFactor_, scaleFactor_},
                               0.0, context);
}

void PatternItemLayer::paint(QPainter* painter, const QStyleOptionGraphicsItem* /*option*/, QWidget* /*widget*/) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setClipRect(bounds_, Qt::IntersectClip);
    PainterDrawingContext context(*painter);
    drawInContext(context);
    painter->restore();
}

const DrawingColor& PatternItemLayer::normalItemColor() {
    static const DrawingColor color{0.0, 0.0, 0.0, 0.75};
    return color;
}

const DrawingColor& PatternItemLayer::printedItemColor() {
    static const DrawingColor color{0.5, 0.5, 0.5, 0.25};
    return color;
}

const DrawingColor& PatternItemLayer::selectedItemColor() {
    static const DrawingColor color{0.1875, 0.512, 0.98, 1.0};
    return color;
}

const DrawingColor& PatternItemLayer::selectedItemShadowColor() {
    static const DrawingColor color{0.5, 0.9, 1.0, 1.0};
    return color;
}

} // namespace VeltranePatterns
