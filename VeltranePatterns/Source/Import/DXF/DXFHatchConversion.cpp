#include "VeltranePatterns/Source/Import/DXF/DXFHatchConversion.hpp"

#include <memory>
#include <utility>

#include "VeltranePatterns/Source/Import/DXF/DXFEntityConversion.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFMirror.hpp"
#include "VeltranePatterns/Source/Items/Arc.hpp"
#include "VeltranePatterns/Source/Items/ArcFill.hpp"
#include "VeltranePatterns/Source/ToolPaths/RegionFill.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFVariantVisit.hpp"

namespace VeltranePatterns {

namespace {

// The pie slice of an arc edge, following the mirror image of the edge as arcs
// are mirrored: from the negated end to the negated start about the mirrored centre.
PatternItemPtr pieSliceForArcEdge(const DXFEntity::Arc& edge) {
    const auto mirrored = *flipEntityInY(edge).getIf<DXFEntity::Arc>();
    return std::make_shared<const ArcFill>(0.0, mirrored.radius, mirrored.center, mirrored.startAngle,
                                           mirrored.endAngle, RotationalDirection::clockwise);
}

} // namespace

std::vector<Coordinate> outlinePointsForEntity(const DXFEntity& mirroredEdge) {
    using Points = std::vector<Coordinate>;
    return std::visit(
        Overloaded{
            [](const DXFEntity::Line& e) -> Points { return {e.startPoint}; },
            [](const DXFEntity::Point& e) -> Points { return {e.coordinate}; },
            [](const DXFEntity::LWPolyLine& e) -> Points {
                Points points;
                points.reserve(e.pointsAndBulgeValues.size());
                for (const auto& [point, bulge] : e.pointsAndBulgeValues) {
                    points.push_back(point);
                }
                return points;
            },
            [](const DXFEntity::PolyLine& e) -> Points { return e.points; },
            [](const DXFEntity::Solid& e) -> Points { return e.points; },
            // The mirrored arc ends where the drawn one started, at the end of the
            // previous edge of the loop.
            [](const DXFEntity::Arc& e) -> Points {
                return {pointOnCircle(e.center, e.radius, e.endAngle), e.center};
            },
            [](const auto&) -> Points { return {}; },
        },
        mirroredEdge.value());
}

std::vector<Coordinate> hatchLoopOutline(const std::vector<DXFEntity>& loop) {
    std::vector<Coordinate> outline;
    outline.reserve(loop.size() * 2);
    for (const DXFEntity& edge : loop) {
        const auto points = outlinePointsForEntity(flipEntityInY(edge));
        outline.insert(outline.end(), points.begin(), points.end());
    }
    return outline;
}

void fileHatchItems(const DXFHatch& hatch, DXFImportState& state) {
    for (const auto& loop : hatch.loops) {
        for (const DXFEntity& edge : loop) {
            if (const auto* arc = edge.getIf<DXFEntity::Arc>()) {
                PatternItemPtr slice = pieSliceForArcEdge(*arc);
                // The limits of every filled item count, so that a hatched area
                // beyond the positioner's travel is caught by the range check.
                if (DXFImportState::isFinite(slice->limits())) {
                    state.widen(slice->limits());
                    state.file(arc->layerName, {std::move(slice)});
                }
            }
        }
        const auto outline = hatchLoopOutline(loop);
        if (outline.size() <= 2) {
            continue;
        }
        std::vector<PatternItemPtr> polygons;
        for (PatternItemPtr& polygon : regionFillPolygons(outline)) {
            if (DXFImportState::isFinite(polygon->limits())) {
                state.widen(polygon->limits());
                polygons.push_back(std::move(polygon));
            }
        }
        state.file(hatch.layerName, std::move(polygons));
    }
}

} // namespace VeltranePatterns
