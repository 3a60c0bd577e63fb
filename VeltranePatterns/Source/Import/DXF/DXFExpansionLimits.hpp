#pragma once
// Caps on what block references may expand to in one parse. Every expansion
// copies a block's entities, and a block may hold references to other blocks,
// so a small hostile file can describe an exponential number of entities. The
// total that references produce (an entity with a list of positions counting
// once per position, every copy of an array counted) and the nesting depth of
// blocks are capped. Once the total is reached every further reference is
// skipped; a reference that would nest too deep (a block that refers to
// itself included) is skipped. Each cap prints one "ERROR: " line per parse.

#include <cstddef>
#include <string>
#include <vector>

#include "VeltranePatterns/Source/Import/DXF/DXFRecords.hpp"

namespace VeltranePatterns {

class DXFExpansionLimits {
public:
    static constexpr std::size_t defaultMaximumExpandedEntities = 10'000'000;
    static constexpr std::size_t defaultMaximumNestingDepth = 64;

    std::size_t maximumExpandedEntities = defaultMaximumExpandedEntities;
    std::size_t maximumNestingDepth = defaultMaximumNestingDepth;

    // True when a block of the depth may be stored; else prints the depth line once.
    bool admitDepth(std::size_t depth);
    // True when the copies of a block may be expanded; their entities are then
    // charged to the total. Else prints the total line once.
    bool admitExpansion(const DXFBlock& block, std::size_t copies);

    std::size_t expandedEntities() const { return expandedEntities_; }
    // The lines printed so far, in order.
    const std::vector<std::string>& reportedLines() const { return reportedLines_; }

    // What one expansion of the block costs.
    static std::size_t weight(const DXFBlock& block);

private:
    void report(std::string line);

    std::vector<std::string> reportedLines_;
    std::size_t expandedEntities_ = 0;
    bool reportedTotal_ = false;
    bool reportedDepth_ = false;
};

} // namespace VeltranePatterns
