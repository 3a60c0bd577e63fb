// The choice of a reader by entity name, and block references: an INSERT either
// goes to blockCallback or is expanded into the placed entities of its block.

#include <utility>

#include "VeltranePatterns/Source/Import/DXF/DXFGroupValues.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFParser.hpp"

namespace VeltranePatterns {

using namespace DXFGroupValues;

std::vector<DXFEntity> DXFParser::readEntity(std::string_view name, std::span<const DXFGroup> groups) {
    std::optional<DXFEntity> entity;
    if (name == "ARC") {
        entity = readArc(groups);
    } else if (name == "CIRCLE") {
        entity = readCircle(groups);
    } else if (name == "ELLIPSE") {
        entity = readEllipse(groups);
    } else if (name == "HATCH") {
        if (auto hatch = readHatch(groups); hatch && hatchCallback) {
            hatchCallback(*hatch);
        }
        return {};
    } else if (name == "LWPOLYLINE") {
        entity = readLWPolyline(groups);
    } else if (name == "LINE") {
        entity = readLine(groups);
    } else if (name == "MLINE") {
        entity = readMultiline(groups);
    } else if (name == "POINT") {
        entity = readPoint(groups);
    } else if (name == "POLYLINE") {
        entity = readPolyline(groups);
    } else if (name == "SOLID") {
        entity = readSolid(groups, true);
    } else if (name == "3DFACE") {
        entity = readSolid(groups, false);
    } else if (name == "SPLINE") {
        entity = readSpline(groups);
    } else if (name == "INSERT") {
        const auto insertion = readInsert(groups);
        if (!insertion) {
            return {};
        }
        if (blockCallback) {
            blockCallback(*insertion->block, insertion->offset, insertion->scale, insertion->rotation);
            return {};
        }
        return expandInsertion(*insertion);
    }
    std::vector<DXFEntity> result;
    if (entity) {
        result.push_back(std::move(*entity));
    }
    return result;
}

std::vector<DXFEntity> DXFParser::expandInsertion(const DXFInsertion& insertion) {
    const DXFBlock& block = *insertion.block;
    if (!expansionLimits.admitReference(block)) {
        return {};
    }
    std::vector<DXFEntity> placed;
    placed.reserve(block.entities.size());
    for (const DXFEntity& entity : block.entities) {
        placed.push_back(entity.correctForOffset(insertion.offset, insertion.scale, insertion.rotation));
    }
    return placed;
}

// Only blocks defined earlier in the file are found. The reference's own layer
// and its column and row counts and spacings are not used.
std::optional<DXFParser::DXFInsertion> DXFParser::readInsert(std::span<const DXFGroup> groups) const {
    const std::string* blockName = nullptr;
    std::optional<double> x, y, z, scaleX, scaleY, scaleZ, rotation;
    for (const Group& g : groups) {
        switch (g.code) {
        case 2: blockName = &g.name; break;
        case 10: x = number(g); break;
        case 20: y = number(g); break;
        case 30: z = number(g); break;
        case 41: scaleX = number(g); break;
        case 42: scaleY = number(g); break;
        case 43: scaleZ = number(g); break;
        case 50: rotation = number(g); break;
        default: break;
        }
    }
    if (blockName == nullptr) {
        return std::nullopt;
    }
    const auto block = blockLookupTable_.find(*blockName);
    if (block == blockLookupTable_.end()) {
        return std::nullopt;
    }
    return DXFInsertion{&block->second,
                        {x.value_or(0.0), y.value_or(0.0), z.value_or(0.0)},
                        {scaleX.value_or(1.0), scaleY.value_or(1.0), scaleZ.value_or(1.0)},
                        Zovudidova::degrees(rotation.value_or(0.0))};
}

const std::string& DXFParser::layerNameOr(const std::optional<std::string>& layer) const {
    return layer ? *layer : defaultLayerName;
}

} // namespace VeltranePatterns
