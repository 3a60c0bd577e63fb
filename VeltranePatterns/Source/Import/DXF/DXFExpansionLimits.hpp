#pragma once
// Caps on what block references may expand to in one parse. Every expansion
// copies a block's entities, and a block may hold references to earlier blocks,
// so a small hostile file can describe an exponential number of entities. The
// total that references produce (an entity with a list of positions counting
// once per position) and the nesting depth of blocks are capped. Once the total
// is reached every further reference is skipped; a reference that would nest
// too deep is skipped. Each cap prints one "ERROR: " line per parse.

#include <cstddef>
#include <string>
#include <unordered_map>

#include "VeltranePatterns/Source/Import/DXF/DXFRecords.hpp"

namespace VeltranePatterns {

class DXFExpansionLimits {
public:
    static constexpr std::size_t defaultMaximumExpandedEntities = 10'000'000;
    static constexpr std::size_t defaultMaximumNestingDepth = 64;

    std::size_t maximumExpandedEntities = defaultMaximumExpandedEntities;
    std::size_t maximumNestingDepth = defaultMaximumNestingDepth;

    // Brackets the definition of one block, so that references inside it set its depth.
    void beginBlockDefinition();
    // The block as stored, or nothing when the definition was dropped.
    void endBlockDefinition(const DXFBlock* stored);

    // True when a reference to the block may be expanded here; its entities are
    // then charged to the total.
    bool admitReference(const DXFBlock& block);

    std::size_t expandedEntities() const { return expandedEntities_; }

private:
    struct StoredBlock {
        std::size_t depth = 1;  // 1 for a block without references
        std::size_t weight = 0; // what one expansion of it costs
    };
    std::unordered_map<std::string, StoredBlock> storedBlocks_;
    // Depth of the block being defined; 0 outside a block definition.
    std::size_t currentDepth_ = 0;
    std::size_t expandedEntities_ = 0;
    bool reportedTotal_ = false;
    bool reportedDepth_ = false;
};

} // namespace VeltranePatterns
