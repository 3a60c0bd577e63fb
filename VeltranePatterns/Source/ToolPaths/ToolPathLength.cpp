#include "VeltranePatterns/Source/ToolPaths/ToolPathLength.hpp"

namespace VeltranePatterns {

double toolPathLength(const Coordinate& start, std::span<const Coordinate> path) {
    double length = 0.0;
    Coordinate previous = start;
    for (const Coordinate& point : path) {
        length += distance(previous, point);
        previous = point;
    }
    return length;
}

} // namespace VeltranePatterns
