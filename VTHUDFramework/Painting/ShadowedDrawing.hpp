#pragma once
// Filling and stroking with an optional shadow. QPainter has no shadow of its
// own: the shape's coverage is drawn into a small offscreen mask, blurred, and
// painted in the shadow's colour under the shape before the shape itself.

#include <optional>

#include <QBrush>
#include <QPainter>
#include <QPainterPath>

#include "VTHUDFramework/Theme/VTHUDTheme.hpp"

namespace VTHUD {

// Paints the shadow that `area` filled with `brush` casts: blurred with a
// standard deviation of half the blur radius, offset in device pixels (the
// shadow's y-up offset turned to the device's y-down), coloured with the
// shadow's colour times the brush's coverage. The painter's clip applies.
void paintShadow(QPainter& painter, const QPainterPath& area, const QBrush& brush, const Shadow& shadow);

// Fills the path, after its shadow when one is given.
void fillPath(QPainter& painter, const QPainterPath& path, const QBrush& brush,
              const std::optional<Shadow>& shadow = std::nullopt);

// Strokes the path with a solid line of the given colour and width, after
// the line's shadow when one is given.
void strokePath(QPainter& painter, const QPainterPath& path, const QColor& color, double width,
                const std::optional<Shadow>& shadow = std::nullopt);

} // namespace VTHUD
