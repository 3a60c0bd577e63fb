#include "Dotfield/Robotics/TopographyGrid.hpp"

#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace Dotfield {

namespace {

using VeltranePatterns::Coordinate;

// The number of steps along one side of the grid.
double stepCount(double distance, double stepSize, const char* axis) {
    if (!std::isfinite(stepSize) || stepSize <= 0.0) {
        throw std::invalid_argument(std::string("The grid step in ") + axis + " must be a positive number");
    }
    if (!std::isfinite(distance) || distance < 0.0) {
        throw std::invalid_argument(std::string("The grid distance in ") + axis +
                                    " must be a number not below zero");
    }
    return std::floor(distance / stepSize);
}

} // namespace

TopographyGridSize topographyGridSize(double distanceInX, double distanceInY, double stepSizeInX,
                                      double stepSizeInY) {
    const double columns = stepCount(distanceInX, stepSizeInX, "X") + 1.0;
    const double rows = stepCount(distanceInY, stepSizeInY, "Y") + 1.0;
    if (columns * rows > maximumTopographyGridPoints) {
        throw std::invalid_argument("The grid has more than 1000000 points");
    }
    return {static_cast<std::size_t>(columns), static_cast<std::size_t>(rows)};
}

std::vector<Coordinate> mapTopographyGrid(Robot& robot, double distanceInX, double distanceInY,
                                          double stepSizeInX, double stepSizeInY,
                                          const std::function<Coordinate()>& measurePoint) {
    if (!measurePoint) {
        throw std::invalid_argument("The grid needs an operation that measures a point");
    }
    const auto [columnCount, rowCount] = topographyGridSize(distanceInX, distanceInY, stepSizeInX, stepSizeInY);

    const Coordinate start = robot.currentCoordinate();
    std::vector<Coordinate> measured;
    measured.reserve(columnCount * rowCount);
    for (std::size_t row = 0; row < rowCount; ++row) {
        for (std::size_t column = 0; column < columnCount; ++column) {
            const Coordinate point = start + Coordinate(static_cast<double>(column) * stepSizeInX,
                                                        static_cast<double>(row) * stepSizeInY, 0.0);
            robot.moveToPosition(point, start.z);
            const Coordinate surface = measurePoint();
            robot.setCurrentCoordinateAndNotify(surface);
            measured.push_back(surface);
        }
    }
    return measured;
}

} // namespace Dotfield
