#pragma once
// Turning the calibration points into a surface cant: the heights along X are
// fitted against x, the heights along Y against y, each by least squares, and
// the two slopes are the cant. The fitted lines' end points (at the first and
// last point of each axis) are what the graphs draw.

#include <string>
#include <vector>

#include "Dotfield/Robotics/SurfaceCant.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

struct SurfaceCantFit {
    SurfaceCant surfaceCant;
    // Both empty, or both the two end points of their fitted line.
    std::vector<VeltranePatterns::Coordinate> slopeLinePointsForX;
    std::vector<VeltranePatterns::Coordinate> slopeLinePointsForY;
};

// Fewer than two points, or all on one abscissa, give a slope of 0. A fit that
// is not a finite number (from points that are not) counts as 0, so printing
// never corrects by NaN, and logs a line; its line is not drawn. The lines
// exist when both point lists have points.
SurfaceCantFit fitSurfaceCant(const std::vector<VeltranePatterns::Coordinate>& pointsForX,
                              const std::vector<VeltranePatterns::Coordinate>& pointsForY);

// The caption of the slope labels followed by the slope in the shortest text
// that reads back as the same double: "X slope: 0.004".
std::string xSlopeLabelText(double slope);
std::string ySlopeLabelText(double slope);

} // namespace Dotfield
