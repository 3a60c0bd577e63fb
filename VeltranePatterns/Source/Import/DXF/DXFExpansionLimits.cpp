#include "VeltranePatterns/Source/Import/DXF/DXFExpansionLimits.hpp"

#include <algorithm>
#include <variant>

#include "VeltranePatterns/Source/Import/ImportMessages.hpp"

namespace VeltranePatterns {

namespace {

// What one placed entity costs: its positions for the list cases, else 1.
std::size_t weight(const DXFEntity& entity) {
    const std::size_t positions = std::visit(
        [](const auto& e) -> std::size_t {
            using Case = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<Case, DXFEntity::LWPolyLine>) {
                return e.pointsAndBulgeValues.size();
            } else if constexpr (std::is_same_v<Case, DXFEntity::Multiline>) {
                return e.vertices.size() + e.offsetsFromBottom.size();
            } else if constexpr (std::is_same_v<Case, DXFEntity::PolyLine> || std::is_same_v<Case, DXFEntity::Solid>) {
                return e.points.size();
            } else if constexpr (std::is_same_v<Case, DXFEntity::Spline>) {
                return e.fitPoints.size() + e.controlPoints.size() + e.knotValues.size();
            } else {
                return 1;
            }
        },
        entity.value());
    return std::max<std::size_t>(positions, 1);
}

} // namespace

void DXFExpansionLimits::beginBlockDefinition() { currentDepth_ = 1; }

void DXFExpansionLimits::endBlockDefinition(const DXFBlock* stored) {
    if (stored != nullptr) {
        std::size_t total = 0;
        for (const DXFEntity& entity : stored->entities) {
            total += weight(entity);
        }
        storedBlocks_[stored->name] = StoredBlock{currentDepth_, total};
    }
    currentDepth_ = 0;
}

bool DXFExpansionLimits::admitReference(const DXFBlock& block) {
    const auto stored = storedBlocks_.find(block.name);
    const StoredBlock inserted = stored != storedBlocks_.end() ? stored->second : StoredBlock{1, block.entities.size()};
    const std::size_t depth = currentDepth_ > 0 ? inserted.depth + 1 : 0;
    if (depth > maximumNestingDepth) {
        if (!reportedDepth_) {
            reportedDepth_ = true;
            printImportMessage("ERROR: Blocks are nested more than " + std::to_string(maximumNestingDepth) +
                               " deep; the deeper block references are skipped");
        }
        return false;
    }
    if (reportedTotal_ || inserted.weight > maximumExpandedEntities - expandedEntities_) {
        if (!reportedTotal_) {
            reportedTotal_ = true;
            printImportMessage("ERROR: Block references expand to more than " +
                               std::to_string(maximumExpandedEntities) +
                               " entities; the remaining block references are skipped");
        }
        return false;
    }
    expandedEntities_ += inserted.weight;
    currentDepth_ = std::max(currentDepth_, depth);
    return true;
}

} // namespace VeltranePatterns
