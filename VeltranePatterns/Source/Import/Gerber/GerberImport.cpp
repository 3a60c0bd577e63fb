#include "VeltranePatterns/Source/Import/Gerber/GerberImport.hpp"

#include <utility>
#include <vector>

#include "VeltranePatterns/Source/Import/Gerber/GerberParser.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberPatternBuilder.hpp"
#include "VeltranePatterns/Source/Import/ImportMessages.hpp"
#include "VeltranePatterns/Source/Import/PatternImportError.hpp"

namespace VeltranePatterns {

std::shared_ptr<Pattern> patternFromGerberFile(const std::filesystem::path& path) {
    auto parser = GerberParser::open(path);
    if (!parser) {
        return nullptr;
    }
    GerberPatternBuilder builder;
    parser->lengthUnitChangedCallback = [&builder](Zovudidova::DistanceUnit unit) { builder.lengthUnitChanged(unit); };
    parser->drawingCommandCallback = [&builder](const GerberDrawingCommand& command) {
        builder.addDrawingCommand(command);
    };
    parser->parse();
    if (parser->isDrillFile()) {
        throw PatternImportError("an Excellon drill file, not a Gerber photoplot");
    }
    if (!parser->declaredUnit()) {
        printImportMessage("The photoplot gives no unit; it was imported as millimetres.");
    }

    const Limits limits = builder.limits();
    // A file that draws nothing gives a pattern without layers.
    std::vector<SolutionLayer> layers;
    if (!builder.items().empty()) {
        layers.emplace_back(builder.takeItems(), gerberLayerName);
    }
    constexpr double scaleFactor = 1.0;
    constexpr double featureWidth = 50.0;
    constexpr bool continuous = true;
    constexpr bool useSprayingInsteadOfDispensing = false;
    constexpr bool stayAtEndOfPatternWhenDone = false;
    return std::make_shared<Pattern>(builder.lengthUnit(), scaleFactor, scaleFactor, featureWidth,
                                     /*gridSpacing*/ std::nullopt, /*canvasWidth*/ std::nullopt,
                                     /*canvasHeight*/ std::nullopt, /*canvasUpperLeft*/ std::nullopt, continuous,
                                     useSprayingInsteadOfDispensing, stayAtEndOfPatternWhenDone, std::move(layers),
                                     Pattern::Triple{limits.minX, limits.minY, limits.minZ},
                                     Pattern::Triple{limits.maxX, limits.maxY, limits.maxZ});
}

} // namespace VeltranePatterns
