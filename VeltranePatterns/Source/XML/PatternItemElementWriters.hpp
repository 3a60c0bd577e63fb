#pragma once
// The elements of the pattern XML format that stand for a layer and for each
// item kind. Lengths are multiplied by the scale factor; angles, durations,
// velocities and accelerations are written as they are.

#include <libxml/tree.h>

#include <string>

#include "VeltranePatterns/Source/Items/PatternItem.hpp"
#include "VeltranePatterns/Source/Pattern/SolutionLayer.hpp"

namespace VeltranePatterns {

// Appends a child element with the given text (as xmlSafeText makes it) as the
// last child of the parent.
void addProperty(xmlNode* parent, const char* name, const std::string& value);
void addProperty(xmlNode* parent, const char* name, double value);

// "solutionlayer" with its "solutionname".
void appendSolutionLayerElement(xmlNode* parent, const SolutionLayer& layer);

// The item's element, with a "solution" child naming the layer; false when
// the item is of a kind the format cannot hold (nothing is appended then).
bool appendPatternItemElement(xmlNode* parent, const PatternItem& item, const std::string& layerName,
                              double scaleFactor);

} // namespace VeltranePatterns
