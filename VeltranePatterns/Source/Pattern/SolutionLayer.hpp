#pragma once
// The items printed with one solution, in printing order. The solution name is
// the layer's identity: the printing engine looks the solution up by it, and
// sets of disabled layers hold it. The empty name is a normal name.

#include <string>
#include <vector>

#include "VeltranePatterns/Source/Items/PatternItem.hpp"

namespace VeltranePatterns {

class SolutionLayer {
  public:
    SolutionLayer(std::vector<PatternItemPtr> patternItems, std::string solutionName)
        : patternItems_(std::move(patternItems)), solutionName_(std::move(solutionName)) {}

    const std::vector<PatternItemPtr>& patternItems() const { return patternItems_; }
    const std::string& solutionName() const { return solutionName_; }

  private:
    std::vector<PatternItemPtr> patternItems_;
    std::string solutionName_;
};

} // namespace VeltranePatterns
