#pragma once
// Readers of the item elements of the pattern XML format. Each takes an item
// element and gives the items it describes (none when a required child is
// missing or does not convert) with the name of the solution layer they
// belong to.

#include <libxml/tree.h>

#include <string>
#include <string_view>
#include <vector>

#include "VeltranePatterns/Source/Items/PatternItem.hpp"

namespace VeltranePatterns {

struct ReadPatternItems {
    std::vector<PatternItemPtr> items;
    std::string solution;
};

// Whether the root child name is one of the item elements.
bool isPatternItemElementName(std::string_view name);

// The items of an item element of that name: one item, or for "polygon" one
// convex polygon per part of its outline; none when the element is unusable.
ReadPatternItems readPatternItemElement(std::string_view name, const xmlNode* element);

} // namespace VeltranePatterns
