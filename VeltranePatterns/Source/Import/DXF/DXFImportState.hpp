#pragma once
// What a DXF import collects while the parser reports: the items of each layer
// name in order of first use, and the bounds of everything filed.

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "VeltranePatterns/Source/Geometry/Limits.hpp"
#include "VeltranePatterns/Source/Items/PatternItem.hpp"

namespace VeltranePatterns {

class DXFImportState {
public:
    struct Layer {
        std::string name;
        std::vector<PatternItemPtr> items;
    };

    // Appends the items to the layer of the name; a new name becomes the last
    // layer, also when no item comes with it.
    void file(const std::string& layerName, std::vector<PatternItemPtr> items);

    // Widens the bounds by the box.
    void widen(const Limits& box);

    // False for a box with a bound that is not a finite number: whatever has it
    // must not reach the pattern's limits or the positioner.
    static bool isFinite(const Limits& box);

    const std::vector<Layer>& layers() const { return layers_; }
    // The layers, moved out; the state holds none afterwards.
    std::vector<Layer> takeLayers();
    // The bounds so far; 0 on every axis that nothing has widened.
    Limits bounds() const;

private:
    std::vector<Layer> layers_;
    std::unordered_map<std::string, std::size_t> layerIndex_;
    std::optional<Limits> bounds_;
};

} // namespace VeltranePatterns
