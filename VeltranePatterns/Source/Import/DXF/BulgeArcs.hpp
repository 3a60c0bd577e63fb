#pragma once
// Arcs between two polyline vertices given by a DXF bulge: the tangent of a
// quarter of the included angle, its sign giving the turning sense.

#include <optional>
#include <vector>

#include "VeltranePatterns/Source/Geometry/Limits.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "Zovudidova/Quantity.hpp"

namespace VeltranePatterns {

struct ArcBetweenPoints {
    struct PlanePoint {
        double x = 0.0;
        double y = 0.0;
    };

    double radius = 0.0;
    PlanePoint centerPoint;
    // Angles of the first and the second point seen from the centre, in radians;
    // the ending angle is never below the starting angle.
    Angle startingAngle = Zovudidova::radians(0.0);
    Angle endingAngle = Zovudidova::radians(0.0);
    // True for a bulge of 0 or more.
    bool clockwise = true;
};

// The angle of the direction (x, y) in radians, from 0 to 2 pi. Directions with
// |x| of 0.01 or less count as straight up (y > 0) or straight down, so this
// suits directions of a length well above 0.01 only.
Angle directionalArcTangent(double x, double y);

// The arc from the first to the second point (x and y only) for the bulge. Its
// angles are the exact directions of the two points from the centre.
// Nothing when no arc exists: both points at one place, a bulge of 0 (a straight
// segment), or values that are not finite numbers or give no finite arc.
std::optional<ArcBetweenPoints> calculateArcBetweenPoints(const Coordinate& first, const Coordinate& second,
                                                          double bulge);

// The box of the arc of a bulge between two vertices, at z 0 as the arc item
// lies; nothing where no arc exists.
std::optional<Limits> bulgeArcLimits(const Coordinate& first, const Coordinate& second, double bulge);

// The points strictly between the two vertices along the arc of the bulge, at
// most the step apart in angle, at z 0: the arc as short straight edges. None
// where no arc exists.
std::vector<Coordinate> bulgeArcInnerPoints(const Coordinate& first, const Coordinate& second, double bulge,
                                            double maximumStepRadians);

} // namespace VeltranePatterns
