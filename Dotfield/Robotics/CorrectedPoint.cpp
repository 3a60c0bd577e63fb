#include "Dotfield/Robotics/CorrectedPoint.hpp"

#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"

namespace Dotfield {

using VeltranePatterns::Coordinate;

Coordinate correctedPoint(const Coordinate& q, const PatternCorrections& corrections) {
    const Coordinate& anchor = corrections.patternStart;
    const Coordinate p =
        (q * corrections.scaleFactor).correctForRotation(corrections.rotation, Coordinate::zero) + anchor;
    if (corrections.topographyMap) {
        const auto heightAtPoint = corrections.topographyMap->height(p.x, p.y);
        const auto heightAtAnchor = corrections.topographyMap->height(anchor.x, anchor.y);
        if (heightAtPoint && heightAtAnchor) {
            return p.coordinateByIncreasingHeight(*heightAtPoint - *heightAtAnchor);
        }
    }
    const Coordinate offset = p - corrections.surfaceCant.origin.value_or(anchor);
    return p.coordinateByIncreasingHeight(offset.x * corrections.surfaceCant.xSlope +
                                          offset.y * corrections.surfaceCant.ySlope);
}

} // namespace Dotfield
