#include "VeltranePatterns/Source/Import/DXF/DXFImport.hpp"

#include <utility>

#include "VeltranePatterns/Source/Import/DXF/DXFEntityConversion.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFHatchConversion.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFMirror.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFParser.hpp"
#include "VeltranePatterns/Source/Import/ImportMessages.hpp"

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
        if (mirrored.getIf<DXFEntity::Ellipse>() != nullptr) {
            state.noteEllipseNotImported();
        } else if (mirrored.getIf<DXFEntity::Spline>() != nullptr) {
            state.noteSplinesNotImported(1);
        }
        auto [layerName, items] = patternItemsForEntity(mirrored);
        state.file(layerName, std::move(items));
        state.widen(box);
    };
    parser->hatchCallback = [&state](const DXFHatch& hatch) { fileHatchItems(hatch, state); };
    parser->parse();

    state.isTextDXF = parser->foundSection();
    state.drawingUnits = parser->drawingUnits();
    state.noteSplinesNotImported(parser->unreadSplineCount());
    // Said once, at the end, however many entities it concerns.
    for (const std::string& line : state.summaryLines()) {
        printImportMessage(line);
    }
    if (state.drawingUnits && *state.drawingUnits != 0 && *state.drawingUnits != 4) {
        printImportMessage("The drawing's units are " + dxfUnitName(*state.drawingUnits) +
                           "; it was imported as millimetres.");
    }
    return state;
}

} // namespace VeltranePatterns
