#pragma once
// The surface under the dispenser: a plane at a height with a slope in X and
// in Y, optionally with a map of bumps, in a frame turned about a centre point
// (a substrate laid down at an angle). Heights are microns on the world's Z
// axis; the tip touches the surface when it is at or below it.
//
// In the surface's frame, u and v are the tip's X and Y turned by -rotation
// about the centre and measured from it; the height there is
//   height + slopeX * u + slopeY * v + the bump map at (u, v).

#include <cstddef>
#include <vector>

namespace Simulators {

// Heights added to the plane on a regular grid of the surface's frame, read
// between grid points by bilinear interpolation; outside the grid nothing is
// added.
struct BumpMap {
    double originU = 0.0; // the frame position of heights[0][0]
    double originV = 0.0;
    double spacing = 1000.0; // µm between neighbouring grid points
    // Rows of increasing v, each of increasing u; all rows equally long.
    std::vector<std::vector<double>> heights{};

    // Zero outside the grid, for an empty grid and for a grid whose rows
    // differ in length or whose spacing is not positive.
    double heightAt(double u, double v) const;
};

struct SimulatedSurface {
    double height = 0.0;  // at the centre
    double slopeX = 0.0;  // µm of height per µm along u
    double slopeY = 0.0;  // µm of height per µm along v
    double rotation = 0.0; // radians, counter-clockwise
    double centerX = 0.0;
    double centerY = 0.0;
    BumpMap bumps{};

    // A plane through (0, 0, height) with the slopes, unturned and smooth.
    static SimulatedSurface plane(double height, double slopeX = 0.0, double slopeY = 0.0);

    double heightAt(double x, double y) const;
};

} // namespace Simulators
