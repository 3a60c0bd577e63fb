// The choice of a reader by entity name, and block references: an INSERT either
// goes to blockCallback or is expanded into the placed entities of its block,
// once or as an array of copies.

#include <algorithm>
#include <cstdint>
#include <limits>
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
        if (!entity) {
            ++unreadSplineCount_;
        }
    } else if (name == "INSERT" || name == "MINSERT") {
        std::vector<DXFEntity> placed;
        if (const auto insertion = readInsert(groups)) {
            placeInsertion(
                *insertion, [&placed](DXFEntity e) { placed.push_back(std::move(e)); },
                [this](DXFHatch hatch) {
                    if (hatchCallback) {
                        hatchCallback(hatch);
                    }
                });
        }
        return placed;
    } else {
        const auto* kind = std::find(unprintedKindNames.begin(), unprintedKindNames.end(), name);
        if (kind != unprintedKindNames.end()) {
            ++unprintedKindCounts_[static_cast<std::size_t>(kind - unprintedKindNames.begin())];
        }
    }
    std::vector<DXFEntity> result;
    if (entity) {
        result.push_back(std::move(*entity));
    }
    return result;
}

std::size_t DXFParser::DXFInsertion::copies() const {
    const auto columnCount = static_cast<std::uint64_t>(columns);
    const auto rowCount = static_cast<std::uint64_t>(rows);
    constexpr std::uint64_t most = std::numeric_limits<std::size_t>::max();
    return static_cast<std::size_t>(columnCount > most / rowCount ? most : columnCount * rowCount);
}

Coordinate DXFParser::DXFInsertion::copyOffset(std::int64_t column, std::int64_t row) const {
    if (column == 0 && row == 0) {
        return offset;
    }
    const double dx = static_cast<double>(column) * columnSpacing;
    const double dy = static_cast<double>(row) * rowSpacing;
    const double c = Zovudidova::cos(rotation);
    const double s = Zovudidova::sin(rotation);
    return {offset.x + dx * c - dy * s, offset.y + dx * s + dy * c, offset.z};
}

void DXFParser::placeInsertion(const DXFInsertion& insertion, const std::function<void(DXFEntity)>& onEntity,
                               const std::function<void(DXFHatch)>& onHatch) {
    const auto stored = blockLookupTable_.find(insertion.blockName);
    if (stored == blockLookupTable_.end()) {
        return;
    }
    const DXFBlock& block = stored->second;
    if (!expansionLimits.admitExpansion(block, insertion.copies())) {
        return;
    }
    for (std::int64_t row = 0; row < insertion.rows; ++row) {
        for (std::int64_t column = 0; column < insertion.columns; ++column) {
            const Coordinate offset = insertion.copyOffset(column, row);
            if (blockCallback) {
                blockCallback(block, offset, insertion.scale, insertion.rotation);
                continue;
            }
            for (const DXFEntity& entity : block.entities) {
                onEntity(entity.correctForOffset(offset, insertion.scale, insertion.rotation));
            }
            for (const DXFHatch& hatch : block.hatches) {
                onHatch(hatch.correctForOffset(offset, insertion.scale, insertion.rotation));
            }
        }
    }
}

// The block is looked up when the reference is placed. Column and row counts
// below 1 count as 1; the reference's own layer is not used.
std::optional<DXFParser::DXFInsertion> DXFParser::readInsert(std::span<const DXFGroup> groups) const {
    const std::string* blockName = nullptr;
    std::optional<double> x, y, z, scaleX, scaleY, scaleZ, rotation, columnSpacing, rowSpacing;
    std::int64_t columns = 1, rows = 1;
    for (const Group& g : groups) {
        switch (g.code) {
        case 2: blockName = &g.name; break;
        case 10: x = number(g); break;
        case 20: y = number(g); break;
        case 30: z = number(g); break;
        case 41: scaleX = number(g); break;
        case 42: scaleY = number(g); break;
        case 43: scaleZ = number(g); break;
        case 44: columnSpacing = number(g); break;
        case 45: rowSpacing = number(g); break;
        case 50: rotation = number(g); break;
        case 70: noteFlags(columns, g); break;
        case 71: noteFlags(rows, g); break;
        default: break;
        }
    }
    if (blockName == nullptr) {
        return std::nullopt;
    }
    return DXFInsertion{*blockName,
                        {x.value_or(0.0), y.value_or(0.0), z.value_or(0.0)},
                        {scaleX.value_or(1.0), scaleY.value_or(1.0), scaleZ.value_or(1.0)},
                        Zovudidova::degrees(rotation.value_or(0.0)),
                        std::max<std::int64_t>(columns, 1),
                        std::max<std::int64_t>(rows, 1),
                        columnSpacing.value_or(0.0),
                        rowSpacing.value_or(0.0)};
}

const std::string& DXFParser::layerNameOr(const std::optional<std::string>& layer) const {
    return layer ? *layer : defaultLayerName;
}

} // namespace VeltranePatterns
