#pragma once
// Paints many item layers one after another onto one painter, with the same
// pixels as each layer's paint() under a translation to its position, at a
// fraction of the cost: the painter is not saved and restored for each layer,
// the pen is changed only when a layer needs another one, and a single
// straight segment, the whole drawing of a line or a point, is stroked as a
// line in device coordinates, without a transform, and without a clip
// whenever the layer's clip would not take a single pixel off it. Any other
// drawing gets the transform and clip the layer's own paint() gives it.

#include <QPainter>
#include <QPointF>
#include <QRect>
#include <QRectF>

#include "VeltranePatterns/Source/Drawing/KeptPixels.hpp"
#include "VeltranePatterns/Source/Drawing/PainterDrawingContext.hpp"
#include "VeltranePatterns/Source/Drawing/PatternItemLayer.hpp"
#include "VeltranePatterns/Source/Drawing/PatternItemLayerSegments.hpp"

namespace VeltranePatterns {

// A painter context that keeps a path of one segment aside and strokes it
// with drawLine; any other drawing goes through the painter context as it
// is, after the painter is placed at the layer.
class SegmentDrawingContext final : public PainterDrawingContext {
public:
    // Segments are stroked by hand only when the painter's coordinates are
    // the device's pixels; a clip is then replaced by keeping the pixels it
    // would protect when the painter paints an image that allows it.
    explicit SegmentDrawingContext(QPainter& painter);

    // What follows is the drawing of a layer at the position (device
    // coordinates) clipped to the bounds (its own coordinates).
    void beginLayer(QPointF position, const QRectF& bounds);
    // The painter's transform and clip were changed behind the context's back.
    void forgetPainterPlacement();
    // The segment the layer begun last drew, when that was all it drew.
    const StrokedSegment* onlySegmentOfLayer() const;
    // Strokes a segment found before with the pen, without a transform.
    void strokeSegment(const StrokedSegment& segment, const QPen& pen);

    void moveTo(DrawingPoint point) override;
    void addLineTo(DrawingPoint point) override;
    void addArc(DrawingPoint center, double radius, double startAngle, double endAngle, bool clockwise) override;
    void closePath() override;
    void addRect(DrawingRect rect) override;
    void fillRect(DrawingRect rect) override;
    void fillPath() override;
    void strokePath() override;

private:
    enum class Transform { unknown, none, layer };

    // Hands the points kept aside to the path.
    void spill();
    // The layer's transform and clip, as its paint() sets them.
    void placeAtLayer();
    void strokePendingSegment();
    void setTransform(Transform transform);
    // Clips to the device pixels, or not at all for nullptr.
    void setDeviceClip(const QRect* pixels);

    bool devicePixels_ = false;
    QImage* image_ = nullptr;
    KeptPixels kept_;
    DrawingPoint segment_[2];
    int pending_ = 0;
    QPointF position_;
    QRectF bounds_;
    bool placedAtLayer_ = false;
    // What the layer begun last drew: segments, and whether anything else.
    StrokedSegment layerSegment_;
    int layerSegments_ = 0;
    bool layerDrewOther_ = false;
    Transform transform_ = Transform::unknown;
    // The painter's clip when the context set it in device pixels.
    enum class Clip { unknown, none, pixels } clip_ = Clip::unknown;
    QRect clipPixels_;
};

class PatternItemLayerSequence {
public:
    // The painter must be active and without a clip or transform of its own;
    // it is left antialiased, without clip and transform.
    explicit PatternItemLayerSequence(QPainter& painter);
    ~PatternItemLayerSequence();
    PatternItemLayerSequence(const PatternItemLayerSequence&) = delete;
    PatternItemLayerSequence& operator=(const PatternItemLayerSequence&) = delete;

    // Also remembers what the layers drew in the segments, and paints the
    // layers it knows from there; the segments must belong to the same
    // layers in the same places and outlive the sequence.
    PatternItemLayerSequence(QPainter& painter, PatternItemLayerSegments& segments);

    // Paints the layer at its position, clipped to its bounds; position is
    // its place in drawing order.
    void paint(PatternItemLayer& layer, std::size_t position = 0);

private:
    QPainter& painter_;
    SegmentDrawingContext context_;
    PatternItemLayerSegments* segments_ = nullptr;
};

} // namespace VeltranePatterns
