#include "VeltranePatterns/Source/Import/Gerber/GerberApertureTemplate.hpp"

#include <type_traits>

namespace VeltranePatterns {

namespace {

std::optional<double> scaledLength(const std::optional<double>& length, double factor) {
    return length ? std::optional<double>(*length * factor) : std::nullopt;
}

} // namespace

GerberApertureTemplate GerberApertureTemplate::scaled(double factor) const {
    return std::visit(
        [factor](const auto& shape) -> GerberApertureTemplate {
            using Case = std::decay_t<decltype(shape)>;
            if constexpr (std::is_same_v<Case, Circle>) {
                return GerberApertureTemplate(Circle{shape.diameter * factor, scaledLength(shape.holeDiameter, factor)});
            } else if constexpr (std::is_same_v<Case, Rectangle> || std::is_same_v<Case, Obround>) {
                return GerberApertureTemplate(
                    Case{shape.width * factor, shape.height * factor, scaledLength(shape.holeDiameter, factor)});
            } else if constexpr (std::is_same_v<Case, Polygon>) {
                return GerberApertureTemplate(Polygon{shape.outerDiameter * factor, shape.numberOfVertices,
                                                      shape.rotationInDegrees,
                                                      scaledLength(shape.holeDiameter, factor)});
            } else {
                MacroShapes macro = *shape.shapes;
                for (auto& disc : macro.discs) {
                    disc.center = {disc.center.x * factor, disc.center.y * factor, disc.center.z * factor};
                    disc.diameter *= factor;
                }
                for (auto& outline : macro.outlines) {
                    for (Coordinate& point : outline) {
                        point = {point.x * factor, point.y * factor, point.z * factor};
                    }
                }
                return GerberApertureTemplate::macro(std::move(macro));
            }
        },
        shape_);
}

} // namespace VeltranePatterns
