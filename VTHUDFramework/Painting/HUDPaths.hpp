#pragma once
// Outline shapes shared by the controls' painters.

#include <QPainterPath>
#include <QRectF>

namespace VTHUD {

// The capsule of the rounded, round-rect and recessed bezels: half circles of
// radius r = height / 2 at both ends, centred half a pixel below the
// rectangle's middle, joined by straight edges.
QPainterPath capsulePath(const QRectF& rect);

// An arc around `center` from `startDegrees` to `endDegrees`, angles growing
// counterclockwise in a y-up sense, where the point at angle a lies at
// (cx + r cos a, cy + r sin a) in the widget's y-down coordinates; the arc is
// joined to the path's current point by a straight line.
void appendArc(QPainterPath& path, QPointF center, double radius, double startDegrees, double endDegrees);

} // namespace VTHUD
