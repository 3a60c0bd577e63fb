#pragma once
// The walk over a rectangular grid of surface points that topography mapping
// measures.

#include <cstddef>
#include <functional>
#include <vector>

#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

// The most points one grid may have.
inline constexpr double maximumTopographyGridPoints = 1000000.0;

struct TopographyGridSize {
    std::size_t columns = 0;
    std::size_t rows = 0;
};

// floor(distance / step) + 1 points along each side. Throws
// std::invalid_argument for a step that is not a positive finite number, a
// distance that is negative or not finite, or a grid of more than
// maximumTopographyGridPoints points.
TopographyGridSize topographyGridSize(double distanceInX, double distanceInY, double stepSizeInX,
                                      double stepSizeInY);

// From the robot's current position S, for each row j = 0 … floor(distanceInY /
// stepSizeInY) and in each row for i = 0 … floor(distanceInX / stepSizeInX),
// travels at S.z to S + (i × stepSizeInX, j × stepSizeInY, 0), measures there,
// makes the measured point the robot's position (telling its observer) and
// collects it. Answers the points row by row. The first error of a move or a
// measurement ends the walk and is thrown.
// Throws std::invalid_argument, before anything moves, for a grid that
// topographyGridSize refuses or no measuring operation.
std::vector<VeltranePatterns::Coordinate>
mapTopographyGrid(Robot& robot, double distanceInX, double distanceInY, double stepSizeInX,
                  double stepSizeInY, const std::function<VeltranePatterns::Coordinate()>& measurePoint);

} // namespace Dotfield
