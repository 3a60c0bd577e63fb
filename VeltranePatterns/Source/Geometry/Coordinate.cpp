#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

#include <cmath>
#include <numbers>

#include "Zovudidova/NumberText.hpp"

namespace VeltranePatterns {

using Zovudidova::AngleUnit;

double Coordinate::magnitude() const { return std::sqrt(x * x + y * y + z * z); }

Coordinate Coordinate::normalized() const {
    const double m = magnitude();
    if (m <= 0.01) {
        return zero;
    }
    return {x / m, y / m, z / m};
}

bool Coordinate::matchesWithinTolerance(const Coordinate& other, double tolerance) const {
    return std::fabs(x - other.x) <= tolerance && std::fabs(y - other.y) <= tolerance &&
           std::fabs(z - other.z) <= tolerance;
}

bool Coordinate::matchesXYWithinTolerance(const Coordinate& other, double tolerance) const {
    return std::fabs(x - other.x) <= tolerance && std::fabs(y - other.y) <= tolerance;
}

AxisFlags Coordinate::differenceAboveMargin(const Coordinate& other, double margin) const {
    // Written as the negation of the inclusive test so that NaN counts as above.
    return {!(std::fabs(x - other.x) <= margin), !(std::fabs(y - other.y) <= margin),
            !(std::fabs(z - other.z) <= margin)};
}

AxisFlags Coordinate::differenceAboveMargin(const std::optional<Coordinate>& other, double margin) const {
    if (!other) {
        return {true, true, true};
    }
    return differenceAboveMargin(*other, margin);
}

Coordinate Coordinate::correctForScale(const ScaleFactors& f, const Coordinate& b) const {
    return {f.x * (x - b.x) + b.x, f.y * (y - b.y) + b.y, f.z * (z - b.z) + b.z};
}

Coordinate Coordinate::correctForRotation(const Angle& angle, const Coordinate& basis) const {
    return rotateCoordinateAboutBasis(*this, angle, basis);
}

Coordinate Coordinate::correctForOffset(const Coordinate& offset, const ScaleFactors& scale,
                                        const Angle& rotation) const {
    const Coordinate scaled{x * scale.x, y * scale.y, z * scale.z};
    return rotateCoordinateAboutBasis(scaled, rotation, zero) + offset;
}

namespace {

// Rounded half away from zero; values that do not fit a 64-bit integer keep
// their full text instead of going through an undefined conversion.
std::string wholeNumberText(double v) {
    const double rounded = std::round(v);
    if (std::isfinite(rounded) && rounded >= -9.223372036854775808e18 && rounded < 9.223372036854775808e18) {
        return std::to_string(static_cast<long long>(rounded));
    }
    return Zovudidova::formatDouble(v);
}

std::string frame(const std::string& a, const std::string& b, const std::string& c) {
    return "(" + a + ", " + b + ", " + c + ")";
}

} // namespace

std::string Coordinate::description() const {
    return frame(wholeNumberText(x), wholeNumberText(y), wholeNumberText(z));
}

std::string Coordinate::preciseDescription() const {
    using Zovudidova::formatDouble;
    return frame(formatDouble(x), formatDouble(y), formatDouble(z));
}

double distance(const Coordinate& a, const Coordinate& b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    const double dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double distanceXY(const Coordinate& a, const Coordinate& b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

double dotProduct(const Coordinate& a, const Coordinate& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Coordinate crossProduct(const Coordinate& a, const Coordinate& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

bool equalWithinMargin(double a, double b, double margin) { return std::fabs(a - b) <= margin; }

bool equalWithinMargin(std::span<const double> a, std::span<const double> b, double margin) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!equalWithinMargin(a[i], b[i], margin)) {
            return false;
        }
    }
    return true;
}

bool coordinateArraysMatchWithinTolerance(std::span<const Coordinate> a, std::span<const Coordinate> b,
                                          double tolerance) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!a[i].matchesWithinTolerance(b[i], tolerance)) {
            return false;
        }
    }
    return true;
}

Angle angleFromBasisToPoint(const Coordinate& basis, const Coordinate& point) {
    const double dx = point.x - basis.x;
    const double dy = point.y - basis.y;
    double angle = 0.0;
    if (dx == 0.0 && dy > 0.0) {
        angle = std::numbers::pi / 2.0;
    } else if (dx == 0.0 && dy < 0.0) {
        angle = 3.0 * std::numbers::pi / 2.0;
    } else if (dx == 0.0 && dy == 0.0) {
        angle = 0.0;
    } else if (dy == 0.0 && dx > 0.0) {
        angle = 0.0;
    } else if (dy == 0.0 && dx < 0.0) {
        angle = std::numbers::pi;
    } else if (dx > 0.0) {
        angle = std::atan(dy / dx);
    } else if (dx < 0.0) {
        angle = std::numbers::pi - std::atan(dy / std::fabs(dx));
    } else {
        angle = std::nan(""); // a NaN difference matches no row
    }
    return Zovudidova::radians(angle);
}

Angle rotationAngleFromHorizonToPoints(const Coordinate& firstPoint, const Coordinate& secondPoint) {
    return angleFromBasisToPoint(firstPoint, secondPoint);
}

Coordinate rotateCoordinateAboutBasis(const Coordinate& point, const Angle& angle, const Coordinate& basis) {
    const Angle theta0 = angleFromBasisToPoint(basis, point);
    const double r = std::sqrt((basis.x - point.x) * (basis.x - point.x) + (basis.y - point.y) * (basis.y - point.y));
    const Angle phi = angle + theta0;
    return {Zovudidova::cos(phi) * r + basis.x, Zovudidova::sin(phi) * r + basis.y, point.z};
}

Limits limits(std::span<const Coordinate> coordinates) {
    if (coordinates.empty()) {
        return {};
    }
    const Coordinate& first = coordinates.front();
    Limits l{first.x, first.x, first.y, first.y, first.z, first.z};
    for (const Coordinate& c : coordinates.subspan(1)) {
        if (c.x < l.minX) l.minX = c.x;
        if (l.maxX <= c.x) l.maxX = c.x;
        if (c.y < l.minY) l.minY = c.y;
        if (l.maxY <= c.y) l.maxY = c.y;
        if (c.z < l.minZ) l.minZ = c.z;
        if (l.maxZ <= c.z) l.maxZ = c.z;
    }
    return l;
}

} // namespace VeltranePatterns
