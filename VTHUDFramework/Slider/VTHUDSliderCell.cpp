#include "VTHUDFramework/Slider/VTHUDSliderCell.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QPainterPath>

#include "VTHUDFramework/Painting/GradientBrush.hpp"
#include "VTHUDFramework/Painting/ShadowedDrawing.hpp"
#include "VTHUDFramework/Theme/VTHUDTheme.hpp"

namespace Theme = VTHUD::Theme;

namespace {

// Length of a tick mark and its distance from the track.
constexpr double tickLength = 4.0;
constexpr double tickGap = 3.0;

} // namespace

QRectF VTHUDSliderCell::trackRect(const QRectF& frame) const {
    if (!isKnownSize()) {
        return frame;
    }
    const double x = frame.x();
    const double y = frame.y();
    const double w = frame.width();
    const double h = frame.height();
    const bool above = tickMarkPosition_ != tickMarksBelow;
    double top = 0.0;
    double width = w - 1;
    double height = 5;
    switch (controlSize_) {
    case regularSize:
        top = !hasTickMarks() ? 8.5 : above ? y + h - 10 : y + 4;
        width = w - 5;
        break;
    case smallSize:
        top = !hasTickMarks() ? (y + h) / 2 - 6 + y : above ? y + h - 8 : y + 2;
        break;
    default:
        top = !hasTickMarks() ? (y + h) / 2 - 6 + y : above ? y + h - 6 : y + 2;
        height = 3;
        break;
    }
    return {x + 0.5, top + 0.5, width, height};
}

double VTHUDSliderCell::knobSide() const {
    return controlSize_ == smallSize ? 15.0 : controlSize_ == miniSize ? 13.0 : 21.0;
}

QRectF VTHUDSliderCell::knobRect(const QRectF& frame, double fraction) const {
    const QRectF track = trackRect(frame);
    const double side = knobSide();
    const double travel = std::max(track.width() - side, 0.0);
    const double f = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    return {track.left() + f * travel, track.center().y() - side / 2, side, side};
}

double VTHUDSliderCell::fractionForKnobAt(const QRectF& frame, double knobX) const {
    const QRectF track = trackRect(frame);
    const double travel = track.width() - knobSide();
    if (!(travel > 0.0) || !std::isfinite(knobX)) {
        return 0.0;
    }
    return std::clamp((knobX - track.left()) / travel, 0.0, 1.0);
}

QRectF VTHUDSliderCell::tickMarkRect(const QRectF& frame) const {
    if (!hasTickMarks()) {
        return {};
    }
    const QRectF track = trackRect(frame);
    const double y = tickMarkPosition_ != tickMarksBelow ? track.top() - tickGap - tickLength : track.bottom() + tickGap;
    return {track.left(), y, track.width(), tickLength};
}

QRectF VTHUDSliderCell::paintedExtent(const QRectF& frame) const {
    QRectF extent = knobRect(frame, 0.0).united(trackRect(frame));
    if (hasTickMarks()) {
        extent = extent.united(tickMarkRect(frame));
    }
    return extent;
}

QRectF VTHUDSliderCell::drawingFrame(const QRectF& bounds) const {
    const QRectF extent = paintedExtent(bounds);
    if (extent.top() < bounds.top()) {
        return bounds.translated(0, bounds.top() - extent.top());
    }
    if (extent.bottom() > bounds.bottom()) {
        return bounds.translated(0, -std::min(extent.bottom() - bounds.bottom(), extent.top() - bounds.top()));
    }
    return bounds;
}

double VTHUDSliderCell::preferredHeight() const {
    const double side = knobSide();
    for (double height = std::ceil(side); height < side + 40; height += 1) {
        const QRectF bounds(0, 0, 100, height);
        const QRectF extent = paintedExtent(drawingFrame(bounds));
        if (extent.top() >= bounds.top() && extent.bottom() <= bounds.bottom()) {
            return height;
        }
    }
    return side + 40;
}

void VTHUDSliderCell::drawWithBounds(QPainter& painter, const QRectF& bounds, double fraction) const {
    const QRectF frame = drawingFrame(bounds);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    drawBarInside(painter, frame, true);
    drawTickMarks(painter, frame);
    drawKnob(painter, knobRect(frame, fraction));
    painter.restore();
}

void VTHUDSliderCell::drawBarInside(QPainter& painter, const QRectF& rect, bool) const {
    drawHorizontalBarInFrame(painter, rect);
}

void VTHUDSliderCell::drawHorizontalBarInFrame(QPainter& painter, const QRectF& frame) const {
    QPainterPath path;
    path.addRoundedRect(trackRect(frame), 2.0, 2.0);
    painter.fillPath(path, enabled_ ? Theme::sliderTrackColor() : Theme::disabledSliderTrackColor());
    VTHUD::strokePath(painter, path, enabled_ ? Theme::strokeColor() : Theme::disabledStrokeColor(), 1.0);
}

void VTHUDSliderCell::drawTickMarks(QPainter& painter, const QRectF& frame) const {
    if (!hasTickMarks()) {
        return;
    }
    const QRectF marks = tickMarkRect(frame);
    const double side = knobSide();
    const double travel = std::max(marks.width() - side, 0.0);
    QPainterPath path;
    for (int i = 0; i < numberOfTickMarks_; ++i) {
        const double along = numberOfTickMarks_ == 1 ? 0.5 : static_cast<double>(i) / (numberOfTickMarks_ - 1);
        const double x = std::floor(marks.left() + side / 2 + along * travel) + 0.5;
        path.moveTo(x, marks.top());
        path.lineTo(x, marks.bottom());
    }
    VTHUD::strokePath(painter, path, enabled_ ? Theme::strokeColor() : Theme::disabledStrokeColor(), 1.0);
}

void VTHUDSliderCell::drawKnob(QPainter& painter, const QRectF& knobRect) const {
    // The clip holds for the knob alone.
    painter.save();
    painter.setClipRect(knobRect, Qt::IntersectClip);
    if (sliderType_ == linearSlider) {
        drawHorizontalKnobInFrame(painter, knobRect);
    }
    painter.restore();
}

QRectF VTHUDSliderCell::knobOvalRect(const QRectF& knobRect) const {
    const double x = knobRect.x();
    const double y = knobRect.y();
    const bool above = tickMarkPosition_ == tickMarksAbove;
    switch (controlSize_) {
    case regularSize:
        return hasTickMarks() ? QRectF(x + 2, above ? y + 2 : y, 15, 19) : QRectF(x + 3, y + 3, 15, 15);
    case smallSize:
        return hasTickMarks() ? QRectF(x + 1, above ? y + 1 : y, 11, 13) : QRectF(x + 2, y + 2, 11, 11);
    case miniSize:
        return hasTickMarks() ? QRectF(x + 1, y, 9, 11) : QRectF(x + 2, y + 1, 9, 9);
    default:
        return knobRect;
    }
}

void VTHUDSliderCell::drawHorizontalKnobInFrame(QPainter& painter, const QRectF& knobRect) const {
    const QRectF oval = knobOvalRect(knobRect);
    const QRectF innerOval = oval.adjusted(1, 1, -1, -1);
    QPainterPath outer;
    outer.addEllipse(oval);
    QPainterPath inner;
    inner.addEllipse(innerOval);
    if (enabled_) {
        const bool ring = highlighted_ && (focusRingType_ == defaultFocusRing || focusRingType_ == exteriorFocusRing);
        VTHUD::fillPath(painter, outer, Theme::strokeColor(), ring ? Theme::focusRing() : Theme::dropShadow());
    } else {
        VTHUD::fillPath(painter, outer, Theme::disabledStrokeColor());
    }
    const VTHUD::Gradient fill = !enabled_      ? Theme::disabledKnobColor()
                                 : highlighted_ ? Theme::highlightKnobColor()
                                                : Theme::knobColor();
    painter.fillPath(inner, VTHUD::verticalGradient(fill, innerOval));
}
