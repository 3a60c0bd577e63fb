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

// A block definition: its name and its entities in file order.
struct DXFBlock {
    std::string name;
    std::vector<DXFEntity> entities;
};

// A hatched region: one list of edge entities (lines and arcs) per boundary loop.
struct DXFHatch {
    std::string layerName;
    bool solid = false;
    DXFHatchOptions boundaryPathType;
    std::vector<std::vector<DXFEntity>> loops;
};

} // namespace VeltranePatterns
