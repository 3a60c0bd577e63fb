#include "VeltranePatterns/Source/Import/Gerber/GerberImport.hpp"

#include <string>
#include <utility>
#include <vector>

#include "VeltranePatterns/Source/Import/Gerber/GerberParser.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberPatternBuilder.hpp"
#include "VeltranePatterns/Source/Import/ImportMessages.hpp"
#include "VeltranePatterns/Source/Import/PatternImportError.hpp"

namespace VeltranePatterns {

std::shared_ptr<Pattern> patternFromGerberFile(const std::filesystem::path& path) {
    return importGerberFile(path).pattern;
}

ImportedPattern importGerberFile(const std::filesystem::path& path) {
    auto parser = GerberParser::open(path);
    if (!parser) {
        return {};
    }
    GerberPatternBuilder builder;
    parser->lengthUnitChangedCallback = [&builder](Zovudidova::DistanceUnit unit) { builder.lengthUnitChanged(unit); };
    parser->drawingCommandCallback = [&builder](const GerberDrawingCommand& command) {
        builder.addDrawingCommand(command);
    };
    parser->parse();
    const bool drewNothing = builder.items().empty();
    if (parser->isDrillFile() || (drewNothing && parser->drillLikeLines() > 0)) {
        throw PatternImportError("an Excellon drill file, not a Gerber photoplot");
    }
    if (const auto& refusal = parser->refusal()) {
        throw PatternImportError(*refusal);
    }
    std::vector<std::string> notes = parser->problems().summaryLines();
    if (drewNothing) {
        // Nothing to print is no pattern: the operator is told why instead.
        if (!parser->hadContent()) {
            throw PatternImportError("the file is empty");
        }
        throw PatternImportError(withNotes("no drawing command that can be printed", notes));
    }
    if (!parser->declaredUnit()) {
        const std::string line = "The photoplot gives no unit; it was imported as millimetres.";
        printImportMessage(line);
        notes.push_back(line);
    }

    const Limits limits = builder.limits();
    std::vector<SolutionLayer> layers;
    layers.emplace_back(builder.takeItems(), gerberLayerName);
    constexpr double scaleFactor = 1.0;
    constexpr double featureWidth = 50.0;
    constexpr bool continuous = true;
    constexpr bool useSprayingInsteadOfDispensing = false;
    constexpr bool stayAtEndOfPatternWhenDone = false;
    auto pattern = std::make_shared<Pattern>(builder.lengthUnit(), scaleFactor, scaleFactor, featureWidth,
                                     /*gridSpacing*/ std::nullopt, /*canvasWidth*/ std::nullopt,
                                     /*canvasHeight*/ std::nullopt, /*canvasUpperLeft*/ std::nullopt, continuous,
                                     useSprayingInsteadOfDispensing, stayAtEndOfPatternWhenDone, std::move(layers),
                                     Pattern::Triple{limits.minX, limits.minY, limits.minZ},
                                     Pattern::Triple{limits.maxX, limits.maxY, limits.maxZ});
    return {std::move(pattern), std::move(notes)};
}

} // namespace VeltranePatterns
