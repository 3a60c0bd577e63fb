// Pattern::dataForXMLRepresentation: the pattern as a pattern XML document.

#include <libxml/tree.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "VeltranePatterns/Source/Pattern/Pattern.hpp"
#include "VeltranePatterns/Source/XML/PatternItemElementWriters.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLNames.hpp"

namespace VeltranePatterns {

namespace Names = PatternXMLNames;

namespace {

struct DocumentDeleter {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};

const xmlChar* xmlText(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

// A whole number, halves away from zero, still written as a double ("120.0").
double rounded(double value) { return std::round(value); }

} // namespace

std::string Pattern::dataForXMLRepresentation(double scaleFactor, std::optional<double> featureWidth,
                                              const std::set<std::string>& disabledLayers) const {
    const std::unique_ptr<xmlDoc, DocumentDeleter> document(xmlNewDoc(xmlText("1.0")));
    document->encoding = xmlStrdup(xmlText("utf-8"));
    xmlNode* root = xmlNewDocNode(document.get(), nullptr, xmlText(Names::root), nullptr);
    xmlDocSetRootElement(document.get(), root);

    addProperty(root, Names::xMultiplier, xScaleFactor_);
    addProperty(root, Names::yMultiplier, yScaleFactor_);
    addProperty(root, Names::featureWidth, featureWidth.value_or(featureWidth_));
    if (gridSpacing_) {
        addProperty(root, Names::gridSpacing, rounded(*gridSpacing_ * scaleFactor));
    }
    if (continuous_) {
        addProperty(root, Names::continuous, std::string());
    }
    if (stayAtEndOfPatternWhenDone_) {
        addProperty(root, Names::noReturn, std::string());
    }
    if (useSprayingInsteadOfDispensing_) {
        addProperty(root, Names::enableSpraying, std::string());
    }
    if (canvasWidth_) {
        addProperty(root, Names::canvasWidth, rounded(*canvasWidth_ * scaleFactor));
    }
    if (canvasHeight_) {
        addProperty(root, Names::canvasHeight, rounded(*canvasHeight_ * scaleFactor));
    }

    for (const SolutionLayer& layer : solutionLayers_) {
        appendSolutionLayerElement(root, layer);
    }
    for (const SolutionLayer& layer : solutionLayers_) {
        if (disabledLayers.contains(layer.solutionName())) {
            continue;
        }
        for (const PatternItemPtr& item : layer.patternItems()) {
            if (!appendPatternItemElement(root, *item, layer.solutionName(), scaleFactor)) {
                std::printf("ERROR: Could not save item VeltranePatterns.%s\n",
                            std::string(patternItemKindName(item->kind())).c_str());
            }
        }
    }

    xmlChar* bytes = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(document.get(), &bytes, &size, "utf-8", 1);
    std::string data;
    if (bytes != nullptr) {
        data.assign(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
        xmlFree(bytes);
    }
    return data;
}

} // namespace VeltranePatterns
