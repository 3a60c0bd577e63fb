#include "VeltranePatterns/Source/Drawing/PatternItemLayerSequence.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QPaintEngine>
#include <QTransform>

namespace VeltranePatterns {

namespace {

// Device coordinates beyond this are left to the painter's own clipping.
constexpr double largestPlainCoordinate = 1e9;

// How far the painter's coverage of a stroke may reach past its exact outline:
// the corners of the outline are rounded to 1/64 of a pixel, and round caps
// are drawn with curves that bulge out by a few parts in ten thousand.
double coverageSlack(double reach) { return 1.0 / 32.0 + reach * 1e-3; }

bool plain(double value) { return std::isfinite(value) && std::fabs(value) < largestPlainCoordinate; }

// The device pixels the painter keeps of a clip to the rectangle given in
// device coordinates: its edges rounded to the nearest pixel edge.
QRect clipPixelsOf(const QRectF& rect) {
    const int left = qRound(rect.left());
    const int top = qRound(rect.top());
    return {left, top, qRound(rect.right()) - left, qRound(rect.bottom()) - top};
}

// How far a stroke of the pen reaches from the segment's end points, on either axis.
double strokeReach(const QPen& pen) {
    // A pen of a pixel or less is drawn as a thin line, which may cover the
    // pixels next to its ends and sides whatever its exact width.
    if (pen.widthF() <= 1.0) {
        return 2.0;
    }
    const double half = pen.widthF() * 0.5;
    return pen.capStyle() == Qt::SquareCap ? half * std::numbers::sqrt2 : half;
}

} // namespace

// ---- Segment context ------------------------------------------------------------------------

SegmentDrawingContext::SegmentDrawingContext(QPainter& painter) : PainterDrawingContext(painter) {
    devicePixels_ = painter.isActive() && painter.deviceTransform().isIdentity();
    QPaintDevice* device = painter.device();
    if (devicePixels_ && device != nullptr && device->devType() == QInternal::Image &&
        painter.paintEngine() != nullptr && painter.paintEngine()->type() == QPaintEngine::Raster) {
        auto* image = static_cast<QImage*>(device);
        image_ = KeptPixels::canKeep(*image) ? image : nullptr;
    }
}

void SegmentDrawingContext::beginLayer(QPointF position, const QRectF& bounds) {
    // A segment the last layer never painted is dropped, as its own context would drop it.
    pending_ = 0;
    position_ = position;
    bounds_ = bounds;
    placedAtLayer_ = false;
    layerSegments_ = 0;
    layerDrewOther_ = false;
}

const StrokedSegment* SegmentDrawingContext::onlySegmentOfLayer() const {
    return layerSegments_ == 1 && !layerDrewOther_ ? &layerSegment_ : nullptr;
}

void SegmentDrawingContext::forgetPainterPlacement() {
    placedAtLayer_ = false;
    transform_ = Transform::unknown;
    clip_ = Clip::unknown;
}

void SegmentDrawingContext::setTransform(Transform transform) {
    if (transform_ == transform && transform != Transform::layer) {
        return;
    }
    if (transform == Transform::layer) {
        painter().setTransform(QTransform::fromTranslate(position_.x(), position_.y()));
    } else {
        painter().resetTransform();
    }
    transform_ = transform;
}

void SegmentDrawingContext::setDeviceClip(const QRect* pixels) {
    if (pixels == nullptr) {
        if (clip_ != Clip::none) {
            painter().setClipping(false);
            clip_ = Clip::none;
        }
        return;
    }
    if (clip_ != Clip::pixels || clipPixels_ != *pixels) {
        // Set with no transform, so that the rectangle is the pixels themselves.
        painter().setClipRect(*pixels, Qt::ReplaceClip);
        clipPixels_ = *pixels;
        clip_ = Clip::pixels;
    }
}

void SegmentDrawingContext::placeAtLayer() {
    layerDrewOther_ = true;
    if (placedAtLayer_) {
        return;
    }
    setTransform(Transform::layer);
    // Replacing the clip gives what intersecting it with none would.
    painter().setClipRect(bounds_, Qt::ReplaceClip);
    clip_ = Clip::unknown;
    placedAtLayer_ = true;
}

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

void SegmentDrawingContext::fillRect(DrawingRect rect) {
    spill();
    placeAtLayer();
    PainterDrawingContext::fillRect(rect);
}

void SegmentDrawingContext::fillPath() {
    spill();
    placeAtLayer();
    PainterDrawingContext::fillPath();
}

void SegmentDrawingContext::strokePath() {
    if (pending_ == 2 && !hasShadow() && currentPath().isEmpty()) {
        strokePendingSegment();
        return;
    }
    spill();
    placeAtLayer();
    PainterDrawingContext::strokePath();
}

// The segment is placed at the layer's position by hand, which gives the
// coordinates the layer's translation would; the layer's clip is set only
// when it takes something off the stroke, in the device pixels it keeps.
void SegmentDrawingContext::strokePendingSegment() {
    const QLineF line(segment_[0].x + position_.x(), segment_[0].y + position_.y(), segment_[1].x + position_.x(),
                      segment_[1].y + position_.y());
    const QRectF clipArea = bounds_.translated(position_);
    if (!devicePixels_ || !plain(line.x1()) || !plain(line.y1()) || !plain(line.x2()) || !plain(line.y2()) ||
        !plain(clipArea.left()) || !plain(clipArea.top()) || !plain(clipArea.right()) || !plain(clipArea.bottom())) {
        spill();
        placeAtLayer();
        PainterDrawingContext::strokePath();
        return;
    }
    pending_ = 0;
    const double reach = strokeReach(pen());
    const double slack = reach + coverageSlack(reach);
    const QRect clip = clipPixelsOf(clipArea);
    const QRect touched(QPoint(static_cast<int>(std::floor(std::min(line.x1(), line.x2()) - slack)),
                               static_cast<int>(std::floor(std::min(line.y1(), line.y2()) - slack))),
                        QPoint(static_cast<int>(std::ceil(std::max(line.x1(), line.x2()) + slack)) - 1,
                               static_cast<int>(std::ceil(std::max(line.y1(), line.y2()) + slack)) - 1));
    const bool clipTakesNothing = clip.contains(touched);
    layerSegment_ = {line, clipTakesNothing ? std::nullopt : std::optional<QRect>(clip), touched};
    ++layerSegments_;
    strokeSegment(layerSegment_, pen());
}

void SegmentDrawingContext::strokeSegment(const StrokedSegment& segment, const QPen& pen) {
    setTransform(Transform::none);
    placedAtLayer_ = false;
    painter().setPen(pen);
    if (segment.clip && image_ != nullptr) {
        // Changing the painter's clip for every layer would cost more than
        // the stroke; the few pixels the clip protects are kept instead.
        setDeviceClip(nullptr);
        kept_.keep(*image_, segment.touched, *segment.clip);
        painter().drawLine(segment.line);
        kept_.restore(*image_);
        return;
    }
    setDeviceClip(segment.clip ? &*segment.clip : nullptr);
    painter().drawLine(segment.line);
}

void SegmentDrawingContext::spill() {
    if (pending_ == 0) {
        return;
    }
    PainterDrawingContext::moveTo(segment_[0]);
    if (pending_ > 1) {
        PainterDrawingContext::addLineTo(segment_[1]);
    }
    pending_ = 0;
}

// ---- Sequence -------------------------------------------------------------------------------

PatternItemLayerSequence::PatternItemLayerSequence(QPainter& painter) : painter_(painter), context_(painter) {
    painter_.setRenderHint(QPainter::Antialiasing, true);
}

PatternItemLayerSequence::PatternItemLayerSequence(QPainter& painter, PatternItemLayerSegments& segments)
    : PatternItemLayerSequence(painter) {
    segments_ = &segments;
}

PatternItemLayerSequence::~PatternItemLayerSequence() {
    painter_.setClipping(false);
    painter_.resetTransform();
}

void PatternItemLayerSequence::paint(PatternItemLayer& layer, std::size_t position) {
    const DisplayState state = layer.state();
    if (segments_ != nullptr) {
        if (const StrokedSegment* known = segments_->segment(position, state)) {
            context_.strokeSegment(*known, segments_->pen(state));
            return;
        }
    }
    if (state == DisplayState::selected) {
        // The shadow is painted by the layer itself, with a context of its own.
        context_.forgetPainterPlacement();
        painter_.setTransform(QTransform::fromTranslate(layer.pos().x(), layer.pos().y()));
        painter_.setClipping(false);
        layer.paint(&painter_, nullptr, nullptr);
        return;
    }
    context_.beginLayer(layer.pos(), layer.bounds());
    layer.drawInContext(context_);
    if (segments_ != nullptr) {
        segments_->remember(position, state, context_.onlySegmentOfLayer(), context_.pen());
    }
}

} // namespace VeltranePatterns
