#include "VeltranePatterns/Source/Import/DXF/DXFRecords.hpp"

namespace VeltranePatterns {

DXFHatch DXFHatch::correctForOffset(const Coordinate& offset, const ScaleFactors& scale,
                                    const Angle& rotation) const {
    DXFHatch placed{layerName, solid, boundaryPathType, {}};
    placed.loops.reserve(loops.size());
    for (const auto& loop : loops) {
        std::vector<DXFEntity> edges;
        edges.reserve(loop.size());
        for (const DXFEntity& edge : loop) {
            edges.push_back(edge.correctForOffset(offset, scale, rotation));
        }
        placed.loops.push_back(std::move(edges));
    }
    return placed;
}

} // namespace VeltranePatterns
