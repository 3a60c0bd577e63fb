// Pattern::optimizedForPrinting: every layer put in print order.

#include "VeltranePatterns/Source/Optimiser/PrintOrderOptimiser.hpp"
#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

namespace VeltranePatterns {

std::shared_ptr<Pattern> Pattern::optimizedForPrinting() const {
    std::vector<SolutionLayer> layers;
    layers.reserve(solutionLayers_.size());
    for (const SolutionLayer& layer : solutionLayers_) {
        layers.emplace_back(optimizePatternItemOrderForPrinting(layer.patternItems()), layer.solutionName());
    }
    return std::make_shared<Pattern>(lengthUnit_, xScaleFactor_, yScaleFactor_, featureWidth_, gridSpacing_,
                                     canvasWidth_, canvasHeight_, canvasUpperLeft_, continuous_,
                                     useSprayingInsteadOfDispensing_, stayAtEndOfPatternWhenDone_,
                                     std::move(layers), minimumLimits_, maximumLimits_);
}

} // namespace VeltranePatterns
