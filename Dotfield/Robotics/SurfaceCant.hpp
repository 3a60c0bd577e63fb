#pragma once
// The tilt of the surface under a pattern: the change of the surface height per
// micron along X and along Y.

namespace Dotfield {

struct SurfaceCant {
    double xSlope = 0.0;
    double ySlope = 0.0;
    friend bool operator==(const SurfaceCant&, const SurfaceCant&) = default;
};

} // namespace Dotfield
