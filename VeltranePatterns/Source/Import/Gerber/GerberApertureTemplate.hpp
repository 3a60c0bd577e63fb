#pragma once
// The shape of a Gerber aperture as the file's aperture definition gives it.
// Sizes are in the length unit the parser reports, as written in the file.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

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
    // An aperture defined on an aperture macro, its primitives evaluated with
    // the definition's parameters: filled discs and filled outlines about the
    // flash point. A macro that could not be evaluated keeps the reason and
    // no shapes; its flashes are not printed.
    struct MacroShapes {
        struct Disc {
            Coordinate center;
            double diameter = 0.0;
        };
        std::string name;
        std::vector<Disc> discs;
        std::vector<std::vector<Coordinate>> outlines;
        // Primitives with exposure off, which cannot be printed, were left out.
        bool leftOutClearParts = false;
        std::optional<std::string> failure;
    };
    // Shared by every copy, so that commands stay cheap to copy.
    struct Macro {
        std::shared_ptr<const MacroShapes> shapes;
    };
    using Shape = std::variant<Circle, Rectangle, Obround, Polygon, Macro>;

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

    static GerberApertureTemplate macro(MacroShapes shapes) {
        return GerberApertureTemplate(Macro{std::make_shared<const MacroShapes>(std::move(shapes))});
    }

    explicit GerberApertureTemplate(Shape shape) : shape_(std::move(shape)) {}

    // The same aperture with every length multiplied by the factor (a change
    // of unit); vertex counts and rotations stay.
    GerberApertureTemplate scaled(double factor) const;

    const Shape& shape() const { return shape_; }

    // The case, when it is that case; nothing otherwise.
    const Circle* asCircle() const { return std::get_if<Circle>(&shape_); }
    const Rectangle* asRectangle() const { return std::get_if<Rectangle>(&shape_); }
    const Obround* asObround() const { return std::get_if<Obround>(&shape_); }
    const Polygon* asPolygon() const { return std::get_if<Polygon>(&shape_); }
    const MacroShapes* asMacro() const {
        const auto* macro = std::get_if<Macro>(&shape_);
        return macro != nullptr ? macro->shapes.get() : nullptr;
    }

private:
    Shape shape_;
};

} // namespace VeltranePatterns
