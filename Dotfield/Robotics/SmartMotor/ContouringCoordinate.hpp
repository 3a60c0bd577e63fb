#pragma once
// One point of a SmartMotor contour: where the path is, and when. The
// timestamp counts motor sample periods: on the older motors the time since
// the start of the contour, on the newer ones the duration of the segment
// that ends at the point.

#include <cstdint>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

struct ContouringCoordinate {
    VeltranePatterns::Coordinate coordinate;
    std::int64_t timestamp = 0;

    friend bool operator==(const ContouringCoordinate&, const ContouringCoordinate&) = default;
};

} // namespace Dotfield
