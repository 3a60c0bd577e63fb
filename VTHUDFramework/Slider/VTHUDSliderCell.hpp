#pragma once
// The painter of a heads-up-display slider: a dark rounded track and an oval
// knob, drawn with a given QPainter so it can paint on an image as well as in
// a widget. It holds the slider's appearance; the widget holds its value.
// Rectangles are in the widget's coordinates, y growing downward.

#include <QPainter>
#include <QRectF>

class VTHUDSliderCell {
  public:
    // Control sizes.
    static constexpr int regularSize = 0;
    static constexpr int smallSize = 1;
    static constexpr int miniSize = 2;

    // Tick mark positions: below the track, or above it (any other value).
    static constexpr int tickMarksBelow = 0;
    static constexpr int tickMarksAbove = 1;

    // Slider types: a circular slider gets no knob.
    static constexpr int linearSlider = 0;
    static constexpr int circularSlider = 1;

    // Focus ring types: default, none, exterior.
    static constexpr int defaultFocusRing = 0;
    static constexpr int noFocusRing = 1;
    static constexpr int exteriorFocusRing = 2;

    int controlSize() const { return controlSize_; }
    void setControlSize(int size) { controlSize_ = size; }
    int numberOfTickMarks() const { return numberOfTickMarks_; }
    void setNumberOfTickMarks(int count) { numberOfTickMarks_ = count < 0 ? 0 : count; }
    int tickMarkPosition() const { return tickMarkPosition_; }
    void setTickMarkPosition(int position) { tickMarkPosition_ = position; }
    int sliderType() const { return sliderType_; }
    void setSliderType(int type) { sliderType_ = type; }
    int focusRingType() const { return focusRingType_; }
    void setFocusRingType(int type) { focusRingType_ = type; }

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    // Highlighted while the knob is dragged.
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted) { highlighted_ = highlighted; }

    // The rectangle the track fills in `frame`.
    QRectF trackRect(const QRectF& frame) const;
    // Side of the square the knob is drawn in: 21, 15 or 13 by control size.
    double knobSide() const;
    // The knob's square for a value at `fraction` (0 to 1) of the range:
    // centred on the track's centre line, moved along the track by the value.
    QRectF knobRect(const QRectF& frame, double fraction) const;
    // Where a knob square's left edge at `knobX` puts the value, as a fraction
    // of the range (clamped to 0 to 1).
    double fractionForKnobAt(const QRectF& frame, double knobX) const;
    // The frame to paint in within a widget's bounds: moved down or up as
    // far as the knob and the tick marks need to stay inside the bounds.
    QRectF drawingFrame(const QRectF& bounds) const;
    // The height the widget wants: knob, tick marks and shadows inside.
    double preferredHeight() const;

    // Paints the track, the tick marks and the knob at `fraction`.
    void drawWithBounds(QPainter& painter, const QRectF& bounds, double fraction) const;

    // The track in `rect`; the flipped flag is not needed with y downward.
    void drawBarInside(QPainter& painter, const QRectF& rect, bool flipped) const;
    void drawHorizontalBarInFrame(QPainter& painter, const QRectF& frame) const;
    void drawTickMarks(QPainter& painter, const QRectF& frame) const;
    // The knob, clipped to `knobRect`; a circular slider draws none.
    void drawKnob(QPainter& painter, const QRectF& knobRect) const;
    void drawHorizontalKnobInFrame(QPainter& painter, const QRectF& knobRect) const;
    // The oval's rectangle inside the knob's square.
    QRectF knobOvalRect(const QRectF& knobRect) const;

  private:
    bool hasTickMarks() const { return numberOfTickMarks_ != 0; }
    bool isKnownSize() const { return controlSize_ >= regularSize && controlSize_ <= miniSize; }
    // The span the tick marks take beside the track (0 without tick marks).
    QRectF tickMarkRect(const QRectF& frame) const;
    // What the track, the knob and the tick marks cover in `frame`.
    QRectF paintedExtent(const QRectF& frame) const;

    int controlSize_ = regularSize;
    int numberOfTickMarks_ = 0;
    int tickMarkPosition_ = tickMarksBelow;
    int sliderType_ = linearSlider;
    int focusRingType_ = defaultFocusRing;
    bool enabled_ = true;
    bool highlighted_ = false;
};
