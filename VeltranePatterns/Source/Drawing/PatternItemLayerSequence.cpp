#include "VeltranePatterns/Source/Drawing/PatternItemLayerSequence.hpp"

#include <QTransform>

namespace VeltranePatterns {

// ---- Segment context ------------------------------------------------------------------------

void SegmentDrawingContext::moveTo(DrawingPoint point) {
    if (pending_ == 0 && currentPath().isEmpty() && isUsable(point)) {
        segment_[0] = point;
        pending_ = 1;
        return;
    }
    spill();
    PainterDrawingContext::moveTo(point);
}

void SegmentDrawingContext::addLineTo(DrawingPoint point) {
    if (pending_ == 1 && isUsable(point)) {
        segment_[1] = point;
        pending_ = 2;
        return;
    }
    spill();
    PainterDrawingContext::addLineTo(point);
}

void SegmentDrawingContext::addArc(DrawingPoint center, double radius, double startAngle, double endAngle,
                                   bool clockwise) {
    spill();
    PainterDrawingContext::addArc(center, radius, startAngle, endAngle, clockwise);
}

void SegmentDrawingContext::closePath() {
    spill();
    PainterDrawingContext::closePath();
}

void SegmentDrawingContext::addRect(DrawingRect rect) {
    spill();
    PainterDrawingContext::addRect(rect);
}

void SegmentDrawingContext::fillPath() {
    spill();
    PainterDrawingContext::fillPath();
}

void SegmentDrawingContext::strokePath() {
    if (pending_ == 2 && !hasShadow()) {
        pending_ = 0;
        painter().setPen(pen());
        painter().drawLine(QLineF(segment_[0].x, segment_[0].y, segment_[1].x, segment_[1].y));
        return;
    }
    spill();
    PainterDrawingContext::strokePath();
}

void SegmentDrawingContext::spill() {
    if (pending_ > 0) {
        PainterDrawingContext::moveTo(segment_[0]);
    }
    if (pending_ > 1) {
        PainterDrawingContext::addLineTo(segment_[1]);
    }
    pending_ = 0;
}

// ---- Sequence -------------------------------------------------------------------------------

PatternItemLayerSequence::PatternItemLayerSequence(QPainter& painter) : painter_(painter), context_(painter) {
    painter_.setRenderHint(QPainter::Antialiasing, true);
}

PatternItemLayerSequence::~PatternItemLayerSequence() {
    painter_.setClipping(false);
    painter_.resetTransform();
}

void PatternItemLayerSequence::paint(PatternItemLayer& layer) {
    painter_.setTransform(QTransform::fromTranslate(layer.pos().x(), layer.pos().y()));
    if (layer.state() == DisplayState::selected) {
        // The shadow is painted by the layer itself, with a context of its own.
        painter_.setClipping(false);
        layer.paint(&painter_, nullptr, nullptr);
        return;
    }
    // Replacing the clip gives what intersecting it with none would.
    painter_.setClipRect(layer.bounds(), Qt::ReplaceClip);
    layer.drawInContext(context_);
}

} // namespace VeltranePatterns
