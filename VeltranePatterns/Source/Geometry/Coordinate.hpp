#pragma once
// The point and vector type of the whole system: x, y, z in microns in the
// application, with x and y in the plane of the surface and z the height.

#include <array>
#include <cmath>
#include <optional>
#include <span>
#include <string>

#include "VeltranePatterns/Source/Geometry/Limits.hpp"
#include "Zovudidova/Quantity.hpp"

namespace VeltranePatterns {

using Zovudidova::Angle;

// Per-axis factors of a scaling.
struct ScaleFactors {
    double x = 1.0;
    double y = 1.0;
    double z = 1.0;
};

// Per-axis results of differenceAboveMargin.
struct AxisFlags {
    bool x = false;
    bool y = false;
    bool z = false;
    friend bool operator==(const AxisFlags&, const AxisFlags&) = default;
};

struct Coordinate {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    constexpr Coordinate() = default;
    constexpr Coordinate(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

    static const Coordinate zero;

    friend constexpr bool operator==(const Coordinate& a, const Coordinate& b) {
        return a.x == b.x && a.y == b.y && a.z == b.z;
    }
    friend constexpr Coordinate operator+(const Coordinate& a, const Coordinate& b) {
        return {a.x + b.x, a.y + b.y, a.z + b.z};
    }
    friend constexpr Coordinate operator-(const Coordinate& a, const Coordinate& b) {
        return {a.x - b.x, a.y - b.y, a.z - b.z};
    }
    friend constexpr Coordinate operator*(const Coordinate& a, double f) { return {a.x * f, a.y * f, a.z * f}; }
    friend constexpr Coordinate operator*(double f, const Coordinate& a) { return {f * a.x, f * a.y, f * a.z}; }
    friend constexpr Coordinate operator*(const Coordinate& a, const ScaleFactors& f) {
        return {a.x * f.x, a.y * f.y, a.z * f.z};
    }
    friend constexpr Coordinate operator/(const Coordinate& a, double d) { return {a.x / d, a.y / d, a.z / d}; }

    double magnitude() const;
    // Self over its magnitude, or zero when the magnitude is 0.01 or less.
    Coordinate normalized() const;

    // Inclusive per-axis tests: a difference equal to the tolerance passes, NaN fails.
    bool matchesWithinTolerance(const Coordinate& other, double tolerance) const;
    bool matchesXYWithinTolerance(const Coordinate& other, double tolerance) const;
    // Exclusive complement per axis; a NaN difference counts as above.
    AxisFlags differenceAboveMargin(const Coordinate& other, double margin) const;
    AxisFlags differenceAboveMargin(const std::optional<Coordinate>& other, double margin) const;

    constexpr Coordinate coordinateByIncreasingHeight(double amount) const { return {x, y, z + amount}; }
    constexpr Coordinate coordinateWithZ(double newZ) const { return {x, y, newZ}; }

    Coordinate correctForScale(const ScaleFactors& factors, const Coordinate& basis) const;
    Coordinate correctForRotation(const Angle& angle, const Coordinate& basis) const;
    // Scales and rotates about the origin, then offsets.
    Coordinate correctForOffset(const Coordinate& offset, const ScaleFactors& scale, const Angle& rotation) const;

    // "(x, y, z)" with each component rounded to a whole number.
    std::string description() const;
    // "(x, y, z)" with each component at full precision.
    std::string preciseDescription() const;
};

inline constexpr Coordinate Coordinate::zero{0.0, 0.0, 0.0};

// Whether all three components are finite numbers.
inline bool isFinite(const Coordinate& c) {
    return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z);
}

double distance(const Coordinate& a, const Coordinate& b);
double distanceXY(const Coordinate& a, const Coordinate& b);
double dotProduct(const Coordinate& a, const Coordinate& b);
Coordinate crossProduct(const Coordinate& a, const Coordinate& b);

bool equalWithinMargin(double a, double b, double margin);
bool equalWithinMargin(std::span<const double> a, std::span<const double> b, double margin);
bool coordinateArraysMatchWithinTolerance(std::span<const Coordinate> a, std::span<const Coordinate> b,
                                          double tolerance);

// The angle of the point seen from the basis, in radians, from just above -pi/2 to 3pi/2.
Angle angleFromBasisToPoint(const Coordinate& basis, const Coordinate& point);
Angle rotationAngleFromHorizonToPoints(const Coordinate& firstPoint, const Coordinate& secondPoint);

// Rotation in the xy plane about a basis point, through the polar form; z passes through.
Coordinate rotateCoordinateAboutBasis(const Coordinate& point, const Angle& angle, const Coordinate& basis);

// Bounding box of a sequence of coordinates; six zeros when it is empty.
Limits limits(std::span<const Coordinate> coordinates);

} // namespace VeltranePatterns
