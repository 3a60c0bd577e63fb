#pragma once
// The shape of a Gerber aperture as the file's aperture definition gives it.
// Sizes are in the file's length unit, exactly as written; nothing is converted.

#include <cstdint>
#include <optional>
#include <variant>

namespace VeltranePatterns {

class GerberApertureTemplate {
public:
    struct Circle {
        double diameter = 0.0;
        std::optional<double> holeDiameter;
    };
    // Axis-aligned, width along x.
    struct Rectangle {
        double width = 0.0;
        double height = 0.0;
        std::optional<double> holeDiameter;
    };
    // A rectangle with semicircular ends.
    struct Obround {
        double width = 0.0;
        double height = 0.0;
        std::optional<double> holeDiameter;
    };
    // A regular polygon.
    struct Polygon {
        double outerDiameter = 0.0;
        std::int64_t numberOfVertices = 0;
        double rotationInDegrees = 0.0;
        std::optional<double> holeDiameter;
    };
    using Shape = std::variant<Circle, Rectangle, Obround, Polygon>;

    static GerberApertureTemplate circle(double diameter, std::optional<double> holeDiameter = std::nullopt) {
        return GerberApertureTemplate(Circle{diameter, holeDiameter});
    }
    static GerberApertureTemplate rectangle(double width, double height,
                                            std::optional<double> holeDiameter = std::nullopt) {
        return GerberApertureTemplate(Rectangle{width, height, holeDiameter});
    }
    static GerberApertureTemplate obround(double width, double height,
                                          std::optional<double> holeDiameter = std::nullopt) {
        return GerberApertureTemplate(Obround{width, height, holeDiameter});
    }
    static GerberApertureTemplate polygon(double outerDiameter, std::int64_t numberOfVertices,
                                          double rotationInDegrees,
                                          std::optional<double> holeDiameter = std::nullopt) {
        return GerberApertureTemplate(Polygon{outerDiameter, numberOfVertices, rotationInDegrees, holeDiameter});
    }

    explicit GerberApertureTemplate(Shape shape) : shape_(shape) {}

    const Shape& shape() const { return shape_; }

    // The case, when it is that case; nothing otherwise.
    const Circle* asCircle() const { return std::get_if<Circle>(&shape_); }
    const Rectangle* asRectangle() const { return std::get_if<Rectangle>(&shape_); }
    const Obround* asObround() const { return std::get_if<Obround>(&shape_); }
    const Polygon* asPolygon() const { return std::get_if<Polygon>(&shape_); }

private:
    Shape shape_;
};

} // namespace VeltranePatterns
