#pragma once

namespace VeltranePatterns {

// A bounding box, as every limits() of the pattern model returns it.
struct Limits {
    double minX = 0.0;
    double maxX = 0.0;
    double minY = 0.0;
    double maxY = 0.0;
    double minZ = 0.0;
    double maxZ = 0.0;

    friend bool operator==(const Limits&, const Limits&) = default;
};

} // namespace VeltranePatterns
