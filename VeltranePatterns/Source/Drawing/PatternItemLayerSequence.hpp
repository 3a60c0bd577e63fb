#pragma once
// Paints many item layers one after another onto one painter, with the same
// pixels as each layer's paint() under a translation to its position, at a
// fraction of the cost: the painter is not saved and restored for each layer
// (its transform and clip are set afresh instead), the pen is changed only
// when a layer needs another one, and a single straight segment, the whole
// drawing of a line or a point, is stroked as a line rather than as a path.

#include <QPainter>

#include "VeltranePatterns/Source/Drawing/PainterDrawingContext.hpp"
#include "VeltranePatterns/Source/Drawing/PatternItemLayer.hpp"

namespace VeltranePatterns {

// A painter context that keeps a path of one segment aside and strokes it
// with drawLine; any other path goes through the painter context as it is.
class SegmentDrawingContext final : public PainterDrawingContext {
public:
    using PainterDrawingContext::PainterDrawingContext;

    void moveTo(DrawingPoint point) override;
    void addLineTo(DrawingPoint point) override;
    void addArc(DrawingPoint center, double radius, double startAngle, double endAngle, bool clockwise) override;
    void closePath() override;
    void addRect(DrawingRect rect) override;
    void fillPath() override;
    void strokePath() override;

private:
    // Hands the points kept aside to the path.
    void spill();

    DrawingPoint segment_[2];
    int pending_ = 0;
};

class PatternItemLayerSequence {
public:
    // The painter must be active and without a clip or transform of its own;
    // it is left antialiased, without clip and transform.
    explicit PatternItemLayerSequence(QPainter& painter);
    ~PatternItemLayerSequence();
    PatternItemLayerSequence(const PatternItemLayerSequence&) = delete;
    PatternItemLayerSequence& operator=(const PatternItemLayerSequence&) = delete;

    // Paints the layer at its position, clipped to its bounds.
    void paint(PatternItemLayer& layer);

private:
    QPainter& painter_;
    SegmentDrawingContext context_;
};

} // namespace VeltranePatterns
