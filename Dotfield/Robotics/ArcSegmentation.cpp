#include "Dotfield/Robotics/ArcSegmentation.hpp"

#include <cmath>
#include <numbers>

namespace Dotfield {

using VeltranePatterns::Coordinate;
using VeltranePatterns::RotationalDirection;
using Zovudidova::Angle;
using Zovudidova::AngleUnit;

std::vector<Coordinate> calculateArcDrawingCoordinates(double segmentLength, const Angle& startAngle,
                                                       const Angle& endAngle, RotationalDirection direction,
                                                       const Coordinate& centerPoint, double radius,
                                                       const PatternCorrections& corrections) {
    const Angle fullTurn = Zovudidova::radians(2.0 * std::numbers::pi);
    Angle alpha = startAngle;
    Angle beta = endAngle;
    if (alpha == beta) {
        beta = direction == RotationalDirection::clockwise ? alpha + fullTurn : alpha - fullTurn;
    } else if (direction == RotationalDirection::clockwise) {
        if (beta < alpha) {
            beta = beta + fullTurn;
        }
    } else if (alpha < beta) {
        alpha = alpha + fullTurn;
    }

    const Angle sweep = beta - alpha;
    const double count = std::floor(std::fabs(sweep.value(AngleUnit::radians)) * radius *
                                    corrections.scaleFactor / segmentLength);
    const bool finiteInput = std::isfinite(count) && VeltranePatterns::isFinite(centerPoint) &&
                             VeltranePatterns::isFinite(corrections.patternStart) &&
                             std::isfinite(corrections.rotation.value(AngleUnit::radians)) &&
                             std::isfinite(corrections.surfaceCant.xSlope) &&
                             std::isfinite(corrections.surfaceCant.ySlope);
    if (!finiteInput || !(segmentLength > 0.0) || count <= 0.0) {
        return {};
    }
    const std::size_t n = count >= static_cast<double>(maximumArcDrawingPoints)
                              ? maximumArcDrawingPoints
                              : static_cast<std::size_t>(count);
    const Angle step = sweep / static_cast<double>(n);

    std::vector<Coordinate> points;
    points.reserve(n);
    const auto append = [&](const Angle& theta) {
        const Coordinate q(Zovudidova::cos(theta) * radius + centerPoint.x,
                           Zovudidova::sin(theta) * radius + centerPoint.y, centerPoint.z);
        points.push_back(correctedPoint(q, corrections));
    };
    for (std::size_t k = 1; k < n; ++k) {
        append(alpha + static_cast<double>(k) * step);
    }
    append(beta);
    return points;
}

} // namespace Dotfield
