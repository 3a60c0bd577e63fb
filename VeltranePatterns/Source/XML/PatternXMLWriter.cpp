// Pattern::dataForXMLRepresentation: the pattern as a pattern XML document.

#include <cmath>
#include <cstdio>

#include "VeltranePatterns/Source/Pattern/Pattern.hpp"
#include "VeltranePatterns/Source/XML/PatternItemElementWriters.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLNames.hpp"
#include "VeltranePatterns/Source/XML/XMLElementWriter.hpp"

namespace VeltranePatterns {

namespace Names = PatternXMLNames;

namespace {

// A whole number, halves away from zero, still written as a double ("120.0").
double rounded(double value) {
    return std::round(value);
}

} // namespace

std::string Pattern::dataForXMLRepresentation(double scaleFactor, std::optional<double> featureWidth,
                                              const std::set<std::string>& disabledLayers) const {
    XMLElementWriter writer;
    writer.startElement(Names::root);

    writer.addProperty(Names::xMultiplier, xScaleFactor_);
    writer.addProperty(Names::yMultiplier, yScaleFactor_);
    writer.addProperty(Names::featureWidth, featureWidth.value_or(featureWidth_));
    if (gridSpacing_) {
        writer.addProperty(Names::gridSpacing, rounded(*gridSpacing_ * scaleFactor));
    }
    if (continuous_) {
        writer.addProperty(Names::continuous, std::string());
    }
    if (stayAtEndOfPatternWhenDone_) {
        writer.addProperty(Names::noReturn, std::string());
    }
    if (useSprayingInsteadOfDispensing_) {
        writer.addProperty(Names::enableSpraying, std::string());
    }
    if (canvasWidth_) {
        writer.addProperty(Names::canvasWidth, rounded(*canvasWidth_ * scaleFactor));
    }
    if (canvasHeight_) {
        writer.addProperty(Names::canvasHeight, rounded(*canvasHeight_ * scaleFactor));
    }

    for (const SolutionLayer& layer : solutionLayers_) {
        appendSolutionLayerElement(writer, layer);
    }
    for (const SolutionLayer& layer : solutionLayers_) {
        if (disabledLayers.contains(layer.solutionName())) {
            continue;
        }
        for (const PatternItemPtr& item : layer.patternItems()) {
            if (!appendPatternItemElement(writer, *item, layer.solutionName(), scaleFactor)) {
                std::printf("ERROR: Could not save item VeltranePatterns.%s\n",
                            std::string(patternItemKindName(item->kind())).c_str());
            }
        }
    }
    writer.endElement();
    return writer.finish();
}

} // namespace VeltranePatterns
