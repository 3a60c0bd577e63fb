#pragma once

#include <vector>

#include "VeltranePatterns/Source/Items/PatternItem.hpp"

namespace VeltranePatterns {

// The items in print order: row by row in ascending minimum y (rows are items
// of exactly equal minimum y), the rows alternately by ascending and
// descending minimum x, and wherever items touch end to start (exactly, in x
// and y) one chain, with an item reversed when its far end is the one that
// touches. Every item occurs once, as itself or reversed. Ties keep the input
// order, and a chain takes the earliest of several touching items. Items whose
// limits or end points are not numbers follow the others, in input order.
std::vector<PatternItemPtr> optimizePatternItemOrderForPrinting(const std::vector<PatternItemPtr>& items);

} // namespace VeltranePatterns
