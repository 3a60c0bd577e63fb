#pragma once
// The tilt of the surface under a pattern: the change of the surface height per
// micron along X and along Y, measured from the point whose height was set.

#include <optional>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

struct SurfaceCant {
    double xSlope = 0.0;
    double ySlope = 0.0;
    // Where the height the slopes start from was found (µm); unset: the
    // pattern's anchor.
    std::optional<VeltranePatterns::Coordinate> origin{};
    friend bool operator==(const SurfaceCant&, const SurfaceCant&) = default;
};

} // namespace Dotfield
