#include "VeltranePatterns/Source/Import/DXF/DXFPatternImport.hpp"

#include <optional>
#include <utility>
#include <vector>

#include "VeltranePatterns/Source/Import/DXF/DXFImport.hpp"
#include "VeltranePatterns/Source/Import/PatternImportError.hpp"

namespace VeltranePatterns {

std::shared_ptr<Pattern> patternFromDXFFile(const std::filesystem::path& path) {
    auto state = readDXFDrawing(path);
    if (!state) {
        return nullptr;
    }
    // Neither must look like an empty drawing.
    if (!state->isTextDXF) {
        throw PatternImportError("not a text DXF file");
    }
    if (state->itemCount() == 0) {
        throw PatternImportError("no entity that can be printed");
    }
    const Limits bounds = state->bounds();
    std::vector<SolutionLayer> layers;
    for (auto& layer : state->takeLayers()) {
        layers.emplace_back(std::move(layer.items), std::move(layer.name));
    }
    return std::make_shared<Pattern>(Zovudidova::DistanceUnit::millimeters, 1.0, 1.0, 50.0, std::nullopt,
                                     std::nullopt, std::nullopt, std::nullopt, true, false, false, std::move(layers),
                                     Pattern::Triple{bounds.minX, bounds.minY, bounds.minZ},
                                     Pattern::Triple{bounds.maxX, bounds.maxY, bounds.maxZ});
}

} // namespace VeltranePatterns
