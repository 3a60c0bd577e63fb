#pragma once
// What a pattern document drives in its preview view. The Qt preview
// implements it; the document's own logic sees nothing of Qt, so it is tested
// headless against a recording implementation.

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

namespace Dotfield {

struct PreviewPoint {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const PreviewPoint&, const PreviewPoint&) = default;
};

class PatternPreviewTarget {
  public:
    virtual ~PatternPreviewTarget() = default;

    virtual void setLowerLeft(PreviewPoint lowerLeft) = 0;
    virtual void setUpperRight(PreviewPoint upperRight) = 0;
    virtual void setOrigin(const VeltranePatterns::Coordinate& origin) = 0;
    virtual void setFeatureWidth(double featureWidth) = 0;
    virtual void setScalingFromUnitsToMicrons(double scaling) = 0;
    virtual void setMinimumLimitsForRobot(std::optional<VeltranePatterns::Coordinate> limits) = 0;
    virtual void setMaximumLimitsForRobot(std::optional<VeltranePatterns::Coordinate> limits) = 0;
    virtual void setStartingLocation(std::optional<VeltranePatterns::Coordinate> location) = 0;
    virtual void setPattern(std::shared_ptr<const VeltranePatterns::Pattern> pattern) = 0;
    virtual void rebuildPatternItemLayers() = 0;
    // Layer and item are indices in the pattern's own lists.
    virtual void simulatePrintingUpToLayer(int layer, int item) = 0;
    // The item a running print is at (indices in the pattern's own lists).
    virtual void setCurrentlyPrinting(int layer, int item) = 0;
    virtual void hideLayer(const std::string& solutionName) = 0;
    virtual void showLayer(const std::string& solutionName) = 0;
    virtual std::set<std::string> disabledLayers() const = 0;
    // Redraws the view and re-lays out its items.
    virtual void updateDisplay() = 0;
    // Redraws the view only.
    virtual void setNeedsDisplay() = 0;
};

} // namespace Dotfield
