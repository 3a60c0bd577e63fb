#pragma once
// How a pattern point becomes a robot position, the one way printing and
// drawing all use: scaled by the pattern's scale factor, turned about the zero
// point by the pattern's rotation, moved by the pattern's anchor, and raised by
// the topography map's height difference to the anchor, or, where the map has
// no height at either point, by the surface cant slopes from the cant's origin.

#include <memory>

#include "Dotfield/Robotics/SurfaceCant.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

class SurfaceTopographyMap;

// Where and how a pattern is placed on the surface.
struct PatternCorrections {
    // The anchor: where the pattern's zero point lies, in microns.
    VeltranePatterns::Coordinate patternStart;
    SurfaceCant surfaceCant;
    double scaleFactor = 1.0;
    Zovudidova::Angle rotation = Zovudidova::radians(0.0);
    // The measured surface, when there is one.
    std::shared_ptr<const SurfaceTopographyMap> topographyMap;
};

// The robot position of the pattern point q (pattern units) under the corrections.
VeltranePatterns::Coordinate correctedPoint(const VeltranePatterns::Coordinate& q,
                                            const PatternCorrections& corrections);

} // namespace Dotfield
