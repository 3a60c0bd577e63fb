#pragma once
// A shared, growable item list: builders keep one per layer name in a map
// while they collect items, and append to it in place.

#include <vector>

#include "VeltranePatterns/Source/Items/PatternItem.hpp"

namespace VeltranePatterns {

class PatternItemArrayContainer {
  public:
    PatternItemArrayContainer() = default;
    explicit PatternItemArrayContainer(std::vector<PatternItemPtr> initialItems)
        : items(std::move(initialItems)) {}

    std::vector<PatternItemPtr> items;
};

} // namespace VeltranePatterns
