#pragma once
// The drawing entities that the DXF reader produces, in the drawing's own
// units exactly as read. Plain values: copying one copies its strings and lists.

#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Geometry/Limits.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFOptions.hpp"
#include "Zovudidova/Quantity.hpp"

namespace VeltranePatterns {

class DXFEntity {
public:
    // Circular arc from the start to the end angle, counter-clockwise, around the centre.
    struct Arc {
        std::string layerName;
        Coordinate center;
        double radius = 0.0;
        Angle startAngle = Zovudidova::degrees(0.0);
        Angle endAngle = Zovudidova::degrees(0.0);
    };
    struct Circle {
        std::string layerName;
        Coordinate center;
        double radius = 0.0;
    };
    // The major axis is given by its end point relative to the centre; the ratio
    // is minor over major axis; the angles bound the elliptical arc.
    struct Ellipse {
        std::string layerName;
        Coordinate center;
        Coordinate majorAxisVector;
        double radiusRatio = 0.0;
        Angle startAngle = Zovudidova::degrees(0.0);
        Angle endAngle = Zovudidova::degrees(0.0);
    };
    struct Line {
        std::string layerName;
        Coordinate startPoint;
        Coordinate endPoint;
    };
    // Each vertex with the bulge of the segment that starts there; absent when the
    // file gives none, which is distinct from a bulge of 0.
    struct LWPolyLine {
        std::string layerName;
        std::vector<std::pair<Coordinate, std::optional<double>>> pointsAndBulgeValues;
        DXFPolylineOptions options;
    };
    struct Multiline {
        std::string layerName;
        Coordinate startingPoint;
        std::vector<Coordinate> vertices;
        std::vector<Coordinate> offsetsFromBottom;
    };
    struct Point {
        std::string layerName;
        Coordinate coordinate;
    };
    // A polyline whose vertices came as VERTEX records.
    struct PolyLine {
        std::string layerName;
        std::vector<Coordinate> points;
        DXFPolylineOptions options;
    };
    // The corners of a SOLID or 3DFACE record, in outline order.
    struct Solid {
        std::string layerName;
        std::vector<Coordinate> points;
    };
    struct Spline {
        std::string layerName;
        std::vector<Coordinate> fitPoints;
        std::vector<Coordinate> controlPoints;
        std::vector<double> knotValues;
        DXFSplineOptions options;
    };

    using Value = std::variant<Arc, Circle, Ellipse, Line, LWPolyLine, Multiline, Point, PolyLine, Solid, Spline>;

    template <typename Case>
        requires std::is_constructible_v<Value, Case&&>
    DXFEntity(Case&& entityCase) : value_(std::forward<Case>(entityCase)) {}

    const Value& value() const { return value_; }

    template <typename Case>
    const Case* getIf() const {
        return std::get_if<Case>(&value_);
    }

    const std::string& layerName() const;

    // The axis-aligned box of the entity: for an arc its end points and the axis
    // points its sweep passes; for a light-weight polyline its vertices and the
    // arcs of its bulges; the centre alone for an ellipse; vertices or fit
    // points alone for the other list cases.
    Limits limits() const;

    // The entity placed as a block reference places it: every position scaled
    // per axis, turned about the origin by the rotation and moved by the offset.
    // Radii take the magnitude of scale.x. A reference that mirrors (a negative
    // x or y scale) maps arcs to the mirror images of their end points and turns
    // bulges the other way, so rounded shapes land where the drawing shows them.
    DXFEntity correctForOffset(const Coordinate& offset, const ScaleFactors& scale, const Angle& rotation) const;

private:
    Value value_;
};

} // namespace VeltranePatterns
