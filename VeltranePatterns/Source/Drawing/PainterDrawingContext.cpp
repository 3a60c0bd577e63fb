#include "VeltranePatterns/Source/Drawing/PainterDrawingContext.hpp"

#include "VeltranePatterns/Source/Drawing/ImageBlur.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPathStroker>

namespace VeltranePatterns {

namespace {

constexpr double turn = 2.0 * std::numbers::pi;
// The widest shadow blur painted, in device pixels. The blur's image and its
// work grow with the square of the blur; a wider one would spread the shadow
// too thin to see anyway.
constexpr double maximumShadowBlur = 50.0;
constexpr double degreesPerRadian = 180.0 / std::numbers::pi;

// Qt refuses coordinates of this size and beyond, with a warning per call.
bool usable(double value) { return std::isfinite(value) && std::fabs(value) < 1e128; }
bool usable(DrawingPoint p) { return isUsable(p); }
bool usable(DrawingRect r) { return usable(r.x) && usable(r.y) && usable(r.width) && usable(r.height); }

QPointF toQt(DrawingPoint p) { return {p.x, p.y}; }
QRectF toQt(DrawingRect r) { return QRectF(r.x, r.y, r.width, r.height).normalized(); }

double unitInterval(double value) { return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0); }

Qt::PenCapStyle toQt(LineCap cap) {
    switch (cap) {
    case LineCap::butt:
        return Qt::FlatCap;
    case LineCap::round:
        return Qt::RoundCap;
    case LineCap::square:
        return Qt::SquareCap;
    }
    return Qt::FlatCap;
}

Qt::PenJoinStyle toQt(LineJoin join) {
    switch (join) {
    case LineJoin::miter:
        return Qt::MiterJoin;
    case LineJoin::round:
        return Qt::RoundJoin;
    case LineJoin::bevel:
        return Qt::BevelJoin;
    }
    return Qt::MiterJoin;
}

} // namespace

bool isUsable(DrawingPoint point) { return usable(point.x) && usable(point.y); }

double arcSweep(double startAngle, double endAngle, bool clockwise) {
    const double difference = clockwise ? startAngle - endAngle : endAngle - startAngle;
    double sweep = std::fmod(difference, turn);
    if (sweep < 0.0) {
        sweep += turn;
    }
    if (sweep == 0.0 && difference != 0.0) {
        sweep = turn;
    }
    return clockwise ? -sweep : sweep;
}

QColor toQColor(DrawingColor color) {
    return QColor::fromRgbF(static_cast<float>(unitInterval(color.red)), static_cast<float>(unitInterval(color.green)),
                            static_cast<float>(unitInterval(color.blue)),
                            static_cast<float>(unitInterval(color.alpha)));
}

PainterDrawingContext::PainterDrawingContext(QPainter& painter)
    : painter_(painter), pen_(QBrush(Qt::black), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin),
      fillColor_(Qt::black) {
    // The usual miter limit of path drawing, rather than Qt's 2.
    pen_.setMiterLimit(10.0);
}

void PainterDrawingContext::moveTo(DrawingPoint point) {
    if (usable(point)) {
        path_.moveTo(toQt(point));
    }
}

void PainterDrawingContext::addLineTo(DrawingPoint point) {
    if (!usable(point)) {
        return;
    }
    if (path_.elementCount() == 0) {
        // Without a current point a line has nowhere to start; begin there.
        path_.moveTo(toQt(point));
        return;
    }
    path_.lineTo(toQt(point));
}

void PainterDrawingContext::addArc(DrawingPoint center, double radius, double startAngle, double endAngle,
                                   bool clockwise) {
    if (!usable(center) || !usable(radius) || !usable(startAngle) || !usable(endAngle)) {
        return;
    }
    if (radius < 0.0) {
        // The point at -r in direction a is the point at r in direction a + pi.
        radius = -radius;
        startAngle += std::numbers::pi;
        endAngle += std::numbers::pi;
    }
    const double sweep = arcSweep(startAngle, endAngle, clockwise);
    const QRectF circle(center.x - radius, center.y - radius, 2.0 * radius, 2.0 * radius);
    const double qtStart = -startAngle * degreesPerRadian;
    const double qtSweep = -sweep * degreesPerRadian;
    if (path_.elementCount() == 0) {
        path_.arcMoveTo(circle, qtStart);
    }
    // arcTo joins the arc's start to the current point with a line.
    path_.arcTo(circle, qtStart, qtSweep);
}

void PainterDrawingContext::closePath() {
    if (path_.elementCount() > 0) {
        path_.closeSubpath();
    }
}

void PainterDrawingContext::addRect(DrawingRect rect) {
    if (usable(rect)) {
        path_.addRect(toQt(rect));
    }
}

void PainterDrawingContext::fillRect(DrawingRect rect) {
    if (!usable(rect)) {
        return;
    }
    const QRectF area = toQt(rect);
    if (shadow_) {
        QPainterPath shape;
        shape.addRect(area);
        paintShadow(shape, fillColor_.alphaF());
    }
    painter_.fillRect(area, fillColor_);
}

void PainterDrawingContext::fillPath() {
    QPainterPath path;
    path.swap(path_);
    if (path.isEmpty()) {
        return;
    }
    path.setFillRule(Qt::WindingFill);
    if (shadow_) {
        paintShadow(path, fillColor_.alphaF());
    }
    painter_.fillPath(path, QBrush(fillColor_));
}

void PainterDrawingContext::strokePath() {
    QPainterPath path;
    path.swap(path_);
    if (path.isEmpty()) {
        return;
    }
    if (shadow_) {
        QPainterPathStroker stroker(pen_);
        paintShadow(stroker.createStroke(path), pen_.color().alphaF());
    }
    painter_.strokePath(path, pen_);
}

// The setters leave an unchanged pen alone, so that a pen the painter shares
// is not copied for nothing.
void PainterDrawingContext::setLineWidth(double width) {
    if (std::isfinite(width) && pen_.widthF() != std::max(width, 0.0)) {
        pen_.setWidthF(std::max(width, 0.0));
    }
}

void PainterDrawingContext::setLineCap(LineCap cap) {
    if (pen_.capStyle() != toQt(cap)) {
        pen_.setCapStyle(toQt(cap));
    }
}

void PainterDrawingContext::setLineJoin(LineJoin join) {
    if (pen_.joinStyle() != toQt(join)) {
        pen_.setJoinStyle(toQt(join));
    }
}

void PainterDrawingContext::setStrokeColor(DrawingColor color) {
    const QColor qtColor = toQColor(color);
    if (pen_.color() != qtColor) {
        pen_.setColor(qtColor);
    }
}

void PainterDrawingContext::setFillColor(DrawingColor color) { fillColor_ = toQColor(color); }

void PainterDrawingContext::setShadow(DrawingShadow shadow) {
    const bool visible = usable(shadow.offset) && std::isfinite(shadow.blur) && shadow.color.alpha > 0.0;
    if (visible) {
        shadow.blur = std::clamp(shadow.blur, 0.0, maximumShadowBlur);
        shadow_ = shadow;
    } else {
        shadow_.reset();
    }
}

void PainterDrawingContext::paintShadow(const QPainterPath& shape, double paintAlpha) {
    const QPaintDevice* device = painter_.device();
    if (device == nullptr) {
        return;
    }
    // The shadow is blurred and offset in device pixels, whatever the transform.
    const QPainterPath deviceShape = painter_.combinedTransform().map(shape);
    const double sigma = shadow_->blur / 2.0;
    const int reach = static_cast<int>(std::ceil(3.0 * sigma)) + 1;
    const QPointF offset(shadow_->offset.x, shadow_->offset.y);
    // Only the part that can land on the device is rendered, which also bounds
    // the image for shapes far larger than the device.
    // The intersection is taken before rounding to whole pixels so that a
    // shape far outside the int range never reaches an int conversion.
    const QRectF deviceArea = QRectF(0, 0, device->width(), device->height()).adjusted(-reach, -reach, reach, reach);
    const QRect area =
        (deviceShape.boundingRect().translated(offset).adjusted(-reach, -reach, reach, reach) & deviceArea)
            .toAlignedRect();
    if (area.isEmpty()) {
        return;
    }
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QColor color = toQColor(shadow_->color);
    color.setAlphaF(static_cast<float>(color.alphaF() * paintAlpha));
    {
        QPainter imagePainter(&image);
        imagePainter.setRenderHint(QPainter::Antialiasing, painter_.testRenderHint(QPainter::Antialiasing));
        imagePainter.translate(offset - QPointF(area.topLeft()));
        imagePainter.fillPath(deviceShape, color);
    }
    blurImage(image, sigma);
    painter_.save();
    painter_.resetTransform();
    painter_.drawImage(area.topLeft(), image);
    painter_.restore();
}

} // namespace VeltranePatterns
