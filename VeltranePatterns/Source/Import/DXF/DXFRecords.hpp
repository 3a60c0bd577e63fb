#pragma once
// The records of a DXF drawing besides its entities: sections, layer table
// records, block definitions and hatches.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "VeltranePatterns/Source/Import/DXF/DXFEntity.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFOptions.hpp"

namespace VeltranePatterns {

// A section of the file by the name of its code-2 group, or "-Corrupt-".
struct DXFSection {
    std::string name;
};

// One record of the LAYER table: its name and every other group of the record,
// keyed by group code (a repeated code keeps its last value).
struct DXFLayer {
    std::string name;
    std::map<std::int64_t, std::string> properties;
};

// A hatched region: one list of edge entities (lines and arcs) per boundary loop.
struct DXFHatch {
    std::string layerName;
    bool solid = false;
    DXFHatchOptions boundaryPathType;
    std::vector<std::vector<DXFEntity>> loops;

    // The hatch placed as a block reference places it: every edge placed.
    DXFHatch correctForOffset(const Coordinate& offset, const ScaleFactors& scale, const Angle& rotation) const;
};

// A block definition: its name and its entities in file order, references to
// other blocks placed in them, and its hatches (those of the blocks it refers
// to included), which reach a drawing only through a reference to the block.
struct DXFBlock {
    std::string name;
    std::vector<DXFEntity> entities;
    std::vector<DXFHatch> hatches;
};

} // namespace VeltranePatterns
