#pragma once
// The drawing context over a QPainter: paths are built in a QPainterPath and
// painted with the painter's current transform and clip.
//
// Qt measures arc angles in degrees, positive toward -y (counter-clockwise on
// a screen whose y axis points down); the context's angles are radians toward
// +y, so every angle and sweep changes sign on the way to Qt. The y axis is the
// painter's: with Qt's usual y-down device, pattern y grows downward, as in the
// preview. Calls with coordinates that are not finite are ignored.

#include <optional>

#include <QColor>
#include <QPainterPath>
#include <QPen>

#include "VeltranePatterns/Source/Drawing/DrawingContext.hpp"

class QPainter;

namespace VeltranePatterns {

class PainterDrawingContext : public DrawingContext {
public:
    // The painter must stay active while the context is used. The context
    // changes neither the painter's pen and brush nor its render hints.
    explicit PainterDrawingContext(QPainter& painter);

    void moveTo(DrawingPoint point) override;
    void addLineTo(DrawingPoint point) override;
    void addArc(DrawingPoint center, double radius, double startAngle, double endAngle, bool clockwise) override;
    void closePath() override;
    void addRect(DrawingRect rect) override;
    void fillRect(DrawingRect rect) override;
    void fillPath() override;
    void strokePath() override;
    void setLineWidth(double width) override;
    void setLineCap(LineCap cap) override;
    void setLineJoin(LineJoin join) override;
    void setStrokeColor(DrawingColor color) override;
    void setFillColor(DrawingColor color) override;
    void setShadow(DrawingShadow shadow) override;

    // The path built since the last fill or stroke.
    const QPainterPath& currentPath() const { return path_; }
    const QPen& pen() const { return pen_; }
    QColor fillColor() const { return fillColor_; }

protected:
    QPainter& painter() const { return painter_; }
    bool hasShadow() const { return shadow_.has_value(); }

private:
    // Paints the blurred shadow of a shape (user space, winding fill) whose
    // painting has the given alpha.
    void paintShadow(const QPainterPath& shape, double paintAlpha);

    QPainter& painter_;
    QPainterPath path_;
    QPen pen_;
    QColor fillColor_;
    std::optional<DrawingShadow> shadow_;
};

// The signed sweep, in radians, of an arc from startAngle to endAngle: toward
// decreasing angles (negative) when clockwise, else toward increasing angles
// (positive). Angles a whole number of turns apart give a full turn; equal
// angles give 0.
double arcSweep(double startAngle, double endAngle, bool clockwise);

QColor toQColor(DrawingColor color);

// True for a point the context draws: finite, and small enough for Qt.
bool isUsable(DrawingPoint point);

} // namespace VeltranePatterns
