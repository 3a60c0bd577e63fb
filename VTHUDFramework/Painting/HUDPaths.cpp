#include "VTHUDFramework/Painting/HUDPaths.hpp"

#include <cmath>
#include <numbers>

namespace VTHUD {

void appendArc(QPainterPath& path, QPointF center, double radius, double startDegrees, double endDegrees) {
    double sweep = std::fmod(endDegrees - startDegrees, 360.0);
    if (sweep <= 0.0) {
        sweep += 360.0;
    }
    const double start = startDegrees * std::numbers::pi / 180.0;
    const QPointF startPoint(center.x() + radius * std::cos(start), center.y() + radius * std::sin(start));
    if (path.elementCount() == 0) {
        path.moveTo(startPoint);
    } else {
        path.lineTo(startPoint);
    }
    // Qt measures angles the other way round in y-down coordinates.
    const QRectF box(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    path.arcTo(box, -startDegrees, -sweep);
}

QPainterPath capsulePath(const QRectF& rect) {
    const double r = rect.height() / 2.0;
    const double cy = rect.y() + r + 0.5;
    QPainterPath path;
    appendArc(path, QPointF(rect.x() + r, cy), r, 90.0, 270.0);
    appendArc(path, QPointF(rect.x() + rect.width() - r, cy), r, 270.0, 90.0);
    path.closeSubpath();
    return path;
}

} // namespace VTHUD
