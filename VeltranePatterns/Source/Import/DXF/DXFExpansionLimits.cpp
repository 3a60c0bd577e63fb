#include "VeltranePatterns/Source/Import/DXF/DXFExpansionLimits.hpp"

#include <algorithm>
#include <limits>
#include <string>
#include <utility>
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

std::size_t DXFExpansionLimits::weight(const DXFBlock& block) {
    std::size_t total = 0;
    for (const DXFEntity& entity : block.entities) {
        total += VeltranePatterns::weight(entity);
    }
    for (const DXFHatch& hatch : block.hatches) {
        for (const auto& loop : hatch.loops) {
            total += std::max<std::size_t>(loop.size(), 1);
        }
    }
    // Even an empty block costs something per copy, so that a huge array of it
    // cannot keep a parse busy without end.
    return std::max<std::size_t>(total, 1);
}

void DXFExpansionLimits::report(std::string line) {
    printImportMessage(line);
    reportedLines_.push_back(std::move(line));
}

bool DXFExpansionLimits::admitDepth(std::size_t depth) {
    if (depth <= maximumNestingDepth) {
        return true;
    }
    if (!reportedDepth_) {
        reportedDepth_ = true;
        report("ERROR: Blocks are nested more than " + std::to_string(maximumNestingDepth) +
               " deep; the deeper block references are skipped");
    }
    return false;
}

bool DXFExpansionLimits::admitExpansion(const DXFBlock& block, std::size_t copies) {
    const std::size_t one = weight(block);
    const std::size_t room = maximumExpandedEntities - expandedEntities_;
    if (reportedTotal_ || copies > room / one) {
        if (!reportedTotal_) {
            reportedTotal_ = true;
            report("ERROR: Block references expand to more than " + std::to_string(maximumExpandedEntities) +
                   " entities; the remaining block references are skipped");
        }
        return false;
    }
    expandedEntities_ += one * copies;
    return true;
}

} // namespace VeltranePatterns
