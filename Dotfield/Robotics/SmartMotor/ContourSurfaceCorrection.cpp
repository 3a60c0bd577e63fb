#include "Dotfield/Robotics/SmartMotor/ContourSurfaceCorrection.hpp"

#include <algorithm>
#include <optional>

#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"

namespace Dotfield {

using VeltranePatterns::Coordinate;

void followSurfaceAlongLine(std::vector<ContouringCoordinate>& points, const Coordinate& from, const Coordinate& to,
                            const SurfaceTopographyMap& map) {
    const std::optional<double> heightAtStart = map.height(from.x, from.y);
    const std::optional<double> heightAtEnd = map.height(to.x, to.y);
    if (!heightAtStart || !heightAtEnd) {
        return;
    }
    const double rise = *heightAtEnd - *heightAtStart;
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double squaredLength = dx * dx + dy * dy;
    for (ContouringCoordinate& point : points) {
        const Coordinate& p = point.coordinate;
        const std::optional<double> height = map.height(p.x, p.y);
        if (!height) {
            continue;
        }
        const double fraction =
            squaredLength > 0.0 ? std::clamp(((p.x - from.x) * dx + (p.y - from.y) * dy) / squaredLength, 0.0, 1.0)
                                : 0.0;
        point.coordinate = p.coordinateByIncreasingHeight((*height - *heightAtStart) - fraction * rise);
    }
}

void followSurfaceAroundArc(std::vector<ContouringCoordinate>& points, const Coordinate& center,
                            const SurfaceCant& cant, const SurfaceTopographyMap* map) {
    const std::optional<double> heightAtCenter = map ? map->height(center.x, center.y) : std::nullopt;
    for (ContouringCoordinate& point : points) {
        const Coordinate& p = point.coordinate;
        const std::optional<double> height = heightAtCenter ? map->height(p.x, p.y) : std::nullopt;
        const double rise = height ? *height - *heightAtCenter
                                   : (p.x - center.x) * cant.xSlope + (p.y - center.y) * cant.ySlope;
        point.coordinate = p.coordinateByIncreasingHeight(rise);
    }
}

} // namespace Dotfield
