#include "VeltranePatterns/Source/Import/DXF/DXFPatternImport.hpp"

#include <optional>
#include <utility>
#include <vector>

#include "VeltranePatterns/Source/Import/DXF/DXFImport.hpp"
#include "VeltranePatterns/Source/Import/ImportMessages.hpp"
#include "VeltranePatterns/Source/Import/PatternImportError.hpp"

namespace VeltranePatterns {

std::shared_ptr<Pattern> patternFromDXFFile(const std::filesystem::path& path) { return importDXFFile(path).pattern; }

ImportedPattern importDXFFile(const std::filesystem::path& path) {
    auto state = readDXFDrawing(path);
    if (!state) {
        return {};
    }
    // Neither must look like an empty drawing.
    if (!state->isTextDXF) {
        throw PatternImportError("not a text DXF file");
    }
    if (state->itemCount() == 0) {
        // Numbers the reader cannot take explain an empty result better than
        // the result does; else what was left out tells what the file held.
        if (state->unreadableNumbers) {
            throw PatternImportError(*state->unreadableNumbers);
        }
        throw PatternImportError(withNotes("no entity that can be printed", state->notes));
    }
    const Limits bounds = state->bounds();
    std::vector<SolutionLayer> layers;
    for (auto& layer : state->takeLayers()) {
        layers.emplace_back(std::move(layer.items), std::move(layer.name));
    }
    auto pattern = std::make_shared<Pattern>(Zovudidova::DistanceUnit::millimeters, 1.0, 1.0, 50.0, std::nullopt,
                                     std::nullopt, std::nullopt, std::nullopt, true, false, false, std::move(layers),
                                     Pattern::Triple{bounds.minX, bounds.minY, bounds.minZ},
                                     Pattern::Triple{bounds.maxX, bounds.maxY, bounds.maxZ});
    return {std::move(pattern), std::move(state->notes)};
}

} // namespace VeltranePatterns
