#include "VeltranePatterns/Source/Import/DXF/DXFImport.hpp"

#include <utility>

#include "VeltranePatterns/Source/Import/DXF/DXFEntityConversion.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFHatchConversion.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFMirror.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFParser.hpp"

namespace VeltranePatterns {

std::optional<DXFImportState> readDXFDrawing(const std::filesystem::path& path) {
    auto parser = DXFParser::open(path);
    if (!parser) {
        return std::nullopt;
    }
    DXFImportState state;
    // The LAYER table's records play no part in the pattern.
    parser->layerCallback = [](const DXFLayer&) {};
    parser->entityCallback = [&state](const DXFEntity& entity) {
        const DXFEntity mirrored = flipEntityInY(entity);
        const Limits box = mirrored.limits();
        if (!DXFImportState::isFinite(box)) {
            return; // placed out of the range of numbers by a block reference
        }
        auto [layerName, items] = patternItemsForEntity(mirrored);
        state.file(layerName, std::move(items));
        state.widen(box);
    };
    parser->hatchCallback = [&state](const DXFHatch& hatch) { fileHatchItems(hatch, state); };
    parser->parse();
    return state;
}

} // namespace VeltranePatterns
