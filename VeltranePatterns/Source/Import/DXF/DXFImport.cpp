#include "VeltranePatterns/Source/Import/DXF/DXFImport.hpp"

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "VeltranePatterns/Source/Import/DXF/DXFEntityConversion.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFHatchConversion.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFMirror.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFParser.hpp"
#include "VeltranePatterns/Source/Import/ImportMessages.hpp"

namespace VeltranePatterns {

namespace {

void noteUnprintedKinds(const DXFParser& parser, DXFImportState& state) {
    static const std::array<std::pair<const char*, const char*>, DXFParser::unprintedKindNames.size()> names{{
        {"text", "texts"},
        {"multiline text", "multiline texts"},
        {"leader", "leaders"},
        {"image", "images"},
    }};
    for (std::size_t kind = 0; kind < names.size(); ++kind) {
        state.noteNotImported(parser.unprintedKindCounts()[kind], names[kind].first, names[kind].second);
    }
}

} // namespace

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
        const bool ellipse = mirrored.getIf<DXFEntity::Ellipse>() != nullptr;
        if (ellipse) {
            state.noteEllipseNotImported();
        } else if (mirrored.getIf<DXFEntity::Spline>() != nullptr) {
            state.noteSplinesNotImported(1);
        }
        auto [layerName, items] = patternItemsForEntity(mirrored);
        state.file(layerName, std::move(items));
        // An ellipse's box is its centre alone, which need not lie on anything
        // printed: the limits must not reach out to it.
        if (!ellipse) {
            state.widen(box);
        }
    };
    parser->hatchCallback = [&state](const DXFHatch& hatch) { fileHatchItems(hatch, state); };
    parser->parse();

    state.isTextDXF = parser->foundSection();
    state.drawingUnits = parser->drawingUnits();
    state.noteSplinesNotImported(parser->unreadSplineCount());
    noteUnprintedKinds(*parser, state);
    // Said once, at the end, however many entities it concerns. The caps on
    // block references have spoken while the file was read.
    std::vector<std::string> lines = state.summaryLines();
    if (state.drawingUnits && *state.drawingUnits != 0 && *state.drawingUnits != 4) {
        lines.push_back("The drawing's units are " + dxfUnitName(*state.drawingUnits) +
                        "; it was imported as millimetres.");
    }
    if (const auto& numbers = parser->unreadableNumbers(); numbers.count > 0) {
        state.unreadableNumbers =
            std::to_string(numbers.count) +
            (numbers.count == 1 ? " value is not a DXF number, on line " : " values are not DXF numbers, the first on line ") +
            std::to_string(numbers.firstLine) + ": \"" + numbers.firstValue + "\"";
        lines.push_back(*state.unreadableNumbers + "; what they belong to was not imported");
    }
    for (const std::string& line : lines) {
        printImportMessage(line);
    }
    state.notes = parser->expansionLimits.reportedLines();
    state.notes.insert(state.notes.end(), lines.begin(), lines.end());
    return state;
}

} // namespace VeltranePatterns
