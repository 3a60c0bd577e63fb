#include "VeltranePatterns/Source/Import/DXF/BulgeArcs.hpp"

#include "VeltranePatterns/Source/Geometry/ArcExtent.hpp"

#include <algorithm>
#include <cmath>

namespace VeltranePatterns {

namespace {
constexpr double pi = 3.141592653589793;
constexpr double twoPi = 6.283185307179586;
// The angle of the direction (x, y) in radians, from 0 up to 2 pi, without
// rounding any direction to an axis.
Angle exactDirectionAngle(double x, double y) {
    double angle = std::atan2(y, x);
    if (angle < 0.0) {
        angle += twoPi;
    }
    return Zovudidova::radians(angle);
}

} // namespace

Angle directionalArcTangent(double x, double y) {
    double angle = 0.0;
    if (std::isnan(x) || std::fabs(x) <= 0.01) {
        angle = y > 0.0 ? pi / 2.0 : 3.0 * pi / 2.0;
    } else if (x >= 0.0) {
        angle = y >= 0.0 ? std::atan(y / x) : twoPi - std::atan(-y / x);
    } else {
        angle = y < 0.0 ? std::atan(y / x) + pi : pi - std::atan(y / (-x));
    }
    return Zovudidova::radians(angle);
}

std::optional<ArcBetweenPoints> calculateArcBetweenPoints(const Coordinate& first, const Coordinate& second,
                                                          double bulge) {
    const double x1 = first.x, y1 = first.y, x2 = second.x, y2 = second.y;
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2) ||
        !std::isfinite(bulge) || bulge == 0.0) {
        return std::nullopt;
    }
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    const double chord = std::sqrt(dx * dx + dy * dy);
    if (!(chord > 0.0) || !std::isfinite(chord)) {
        return std::nullopt;
    }
    const double halfChord = 0.5 * chord;
    const double b = std::fabs(bulge);
    // h (b^2 + 1) / (2 b): the radius for a sagitta of b times the half chord.
    const double radius = (b * (b * halfChord) + halfChord) / (b + b);
    // From the chord's midpoint to the centre: the radius less the sagitta.
    const double toCenter = radius - b * halfChord;
    const double midX = (x2 + x1) * 0.5;
    const double midY = (y2 + y1) * 0.5;

    ArcBetweenPoints arc;
    arc.radius = radius;
    if (bulge >= 0.0) {
        arc.centerPoint = {midX + dy * toCenter / chord, midY + -(toCenter * dx) / chord};
    } else {
        arc.centerPoint = {midX + -(dy * toCenter) / chord, midY + toCenter * dx / chord};
    }
    if (!std::isfinite(arc.radius) || !std::isfinite(arc.centerPoint.x) || !std::isfinite(arc.centerPoint.y)) {
        return std::nullopt;
    }
    // The exact directions of the two vertices: the arc ends where the
    // polyline's vertices are, whatever its size.
    arc.startingAngle = exactDirectionAngle(x1 - arc.centerPoint.x, y1 - arc.centerPoint.y);
    arc.endingAngle = exactDirectionAngle(x2 - arc.centerPoint.x, y2 - arc.centerPoint.y);
    if (arc.endingAngle < arc.startingAngle) {
        arc.endingAngle = arc.endingAngle + Zovudidova::radians(twoPi);
    }
    arc.clockwise = bulge >= 0.0;
    return arc;
}

std::optional<Limits> bulgeArcLimits(const Coordinate& first, const Coordinate& second, double bulge) {
    const auto arc = calculateArcBetweenPoints(first, second, bulge);
    if (!arc) {
        return std::nullopt;
    }
    const double startAngle = arc->startingAngle.value(Zovudidova::AngleUnit::radians);
    const double endAngle = arc->endingAngle.value(Zovudidova::AngleUnit::radians);
    // A positive bulge turns counter-clockwise from the first vertex to the
    // second; a negative one clockwise, which is counter-clockwise from the second.
    const double from = bulge > 0.0 ? startAngle : endAngle;
    const double sweep = bulge > 0.0 ? endAngle - startAngle : twoPi - (endAngle - startAngle);
    return arcLimits({arc->centerPoint.x, arc->centerPoint.y, 0.0}, arc->radius, from, sweep);
}

std::vector<Coordinate> bulgeArcInnerPoints(const Coordinate& first, const Coordinate& second, double bulge,
                                            double maximumStepRadians) {
    std::vector<Coordinate> points;
    const auto arc = calculateArcBetweenPoints(first, second, bulge);
    if (!arc || !(maximumStepRadians > 0.0)) {
        return points;
    }
    const double startAngle = arc->startingAngle.value(Zovudidova::AngleUnit::radians);
    const double endAngle = arc->endingAngle.value(Zovudidova::AngleUnit::radians);
    // From the first vertex: counter-clockwise for a positive bulge, clockwise for a negative one.
    const double sweep = bulge > 0.0 ? endAngle - startAngle : -(twoPi - (endAngle - startAngle));
    constexpr double mostSteps = 720.0;
    const auto steps = static_cast<std::size_t>(std::clamp(std::ceil(std::fabs(sweep) / maximumStepRadians), 1.0, mostSteps));
    points.reserve(steps - 1);
    for (std::size_t k = 1; k < steps; ++k) {
        const double angle = startAngle + sweep * static_cast<double>(k) / static_cast<double>(steps);
        points.push_back({arc->centerPoint.x + arc->radius * std::cos(angle),
                          arc->centerPoint.y + arc->radius * std::sin(angle), 0.0});
    }
    return points;
}

} // namespace VeltranePatterns
