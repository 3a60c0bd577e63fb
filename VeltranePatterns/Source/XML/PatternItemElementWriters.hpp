#pragma once
// The elements of the pattern XML format that stand for a layer and for each
// item kind. Lengths are multiplied by the scale factor; angles, durations,
// velocities and accelerations are written as they are.

#include <string>

#include "VeltranePatterns/Source/Items/PatternItem.hpp"
#include "VeltranePatterns/Source/Pattern/SolutionLayer.hpp"
#include "VeltranePatterns/Source/XML/XMLElementWriter.hpp"

namespace VeltranePatterns {

// "solutionlayer" with its "solutionname".
void appendSolutionLayerElement(XMLElementWriter& writer, const SolutionLayer& layer);

// The item's element, with a "solution" child naming the layer; false when
// the item is of a kind the format cannot hold (nothing is written then).
bool appendPatternItemElement(XMLElementWriter& writer, const PatternItem& item, const std::string& layerName,
                              double scaleFactor);

} // namespace VeltranePatterns
