#include "VeltranePatterns/Source/Import/DXF/DXFMirror.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFVariantVisit.hpp"

#include <optional>
#include <utility>
#include <vector>

namespace VeltranePatterns {

namespace {

// One mirror: how it moves a position and the angles of a counter-clockwise
// arc (the image of the end becomes the start, so the image still runs
// counter-clockwise).
struct Mirror {
    bool negateX;

    Coordinate operator()(const Coordinate& p) const {
        return negateX ? Coordinate{-p.x, p.y, p.z} : Coordinate{p.x, -p.y, p.z};
    }

    std::vector<Coordinate> operator()(const std::vector<Coordinate>& points) const {
        std::vector<Coordinate> mirrored;
        mirrored.reserve(points.size());
        for (const Coordinate& p : points) {
            mirrored.push_back((*this)(p));
        }
        return mirrored;
    }

    // The direction at angle a goes to -a in y and to a half turn less a in x.
    Angle angle(const Angle& a) const { return negateX ? -a + Zovudidova::degrees(180.0) : -a; }
};

DXFEntity mirrored(const DXFEntity& entity, const Mirror flip) {
    return std::visit(
        Overloaded{
            [&](const DXFEntity::Arc& e) -> DXFEntity {
                return DXFEntity::Arc{e.layerName, flip(e.center), e.radius, flip.angle(e.endAngle),
                                      flip.angle(e.startAngle)};
            },
            [&](const DXFEntity::Circle& e) -> DXFEntity {
                return DXFEntity::Circle{e.layerName, flip(e.center), e.radius};
            },
            [&](const DXFEntity::Ellipse& e) -> DXFEntity {
                return DXFEntity::Ellipse{e.layerName,  flip(e.center), flip(e.majorAxisVector),
                                          e.radiusRatio, e.startAngle,   e.endAngle};
            },
            [&](const DXFEntity::Line& e) -> DXFEntity {
                return DXFEntity::Line{e.layerName, flip(e.startPoint), flip(e.endPoint)};
            },
            [&](const DXFEntity::LWPolyLine& e) -> DXFEntity {
                DXFEntity::LWPolyLine flipped{e.layerName, {}, e.options};
                flipped.pointsAndBulgeValues.reserve(e.pointsAndBulgeValues.size());
                for (const auto& [point, bulge] : e.pointsAndBulgeValues) {
                    flipped.pointsAndBulgeValues.emplace_back(flip(point),
                                                              bulge ? std::optional<double>(-*bulge) : std::nullopt);
                }
                return flipped;
            },
            [&](const DXFEntity::Multiline& e) -> DXFEntity {
                return DXFEntity::Multiline{e.layerName, flip(e.startingPoint), flip(e.vertices),
                                            flip(e.offsetsFromBottom)};
            },
            [&](const DXFEntity::Point& e) -> DXFEntity { return DXFEntity::Point{e.layerName, flip(e.coordinate)}; },
            [&](const DXFEntity::PolyLine& e) -> DXFEntity {
                return DXFEntity::PolyLine{e.layerName, flip(e.points), e.options};
            },
            [&](const DXFEntity::Solid& e) -> DXFEntity { return DXFEntity::Solid{e.layerName, flip(e.points)}; },
            [&](const DXFEntity::Spline& e) -> DXFEntity {
                return DXFEntity::Spline{e.layerName, flip(e.fitPoints), flip(e.controlPoints), e.knotValues,
                                         e.options};
            },
        },
        entity.value());
}

} // namespace

DXFEntity flipEntityInY(const DXFEntity& entity) { return mirrored(entity, Mirror{false}); }

DXFEntity flipEntityInX(const DXFEntity& entity) { return mirrored(entity, Mirror{true}); }

} // namespace VeltranePatterns
