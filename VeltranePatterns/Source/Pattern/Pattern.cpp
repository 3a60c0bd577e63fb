#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

namespace VeltranePatterns {

Pattern::Pattern(Zovudidova::DistanceUnit lengthUnit, double xScaleFactor, double yScaleFactor,
                 double featureWidth, std::optional<double> gridSpacing, std::optional<double> canvasWidth,
                 std::optional<double> canvasHeight, std::optional<XYPair> canvasUpperLeft, bool continuous,
                 bool useSprayingInsteadOfDispensing, bool stayAtEndOfPatternWhenDone,
                 std::vector<SolutionLayer> solutionLayers, Triple minimumLimits, Triple maximumLimits)
    : lengthUnit_(lengthUnit), xScaleFactor_(xScaleFactor), yScaleFactor_(yScaleFactor),
      featureWidth_(featureWidth), gridSpacing_(gridSpacing), canvasWidth_(canvasWidth),
      canvasHeight_(canvasHeight), canvasUpperLeft_(canvasUpperLeft), continuous_(continuous),
      useSprayingInsteadOfDispensing_(useSprayingInsteadOfDispensing),
      stayAtEndOfPatternWhenDone_(stayAtEndOfPatternWhenDone), minimumLimits_(minimumLimits),
      maximumLimits_(maximumLimits), solutionLayers_(std::move(solutionLayers)) {}

Pattern::XYLimits Pattern::limits(const Coordinate& origin) const {
    return {minimumLimits_.x - origin.x, maximumLimits_.x - origin.x, minimumLimits_.y - origin.y,
            maximumLimits_.y - origin.y};
}

std::shared_ptr<Pattern> Pattern::scaledBy(double factor) const {
    std::vector<SolutionLayer> layers;
    layers.reserve(solutionLayers_.size());
    for (const SolutionLayer& layer : solutionLayers_) {
        std::vector<PatternItemPtr> items;
        items.reserve(layer.patternItems().size());
        for (const PatternItemPtr& item : layer.patternItems()) {
            items.push_back(item->scaledBy(factor));
        }
        layers.emplace_back(std::move(items), layer.solutionName());
    }
    const auto scaled = [factor](std::optional<double> value) -> std::optional<double> {
        if (value) {
            return *value * factor;
        }
        return std::nullopt;
    };
    std::optional<XYPair> upperLeft;
    if (canvasUpperLeft_) {
        upperLeft = XYPair{canvasUpperLeft_->x * factor, canvasUpperLeft_->y * factor};
    }
    const auto scaledTriple = [factor](const Triple& t) {
        return Triple{t.x * factor, t.y * factor, t.z * factor};
    };
    return std::make_shared<Pattern>(Zovudidova::DistanceUnit::microns, xScaleFactor_, yScaleFactor_,
                                     featureWidth_, gridSpacing_, scaled(canvasWidth_), scaled(canvasHeight_),
                                     upperLeft, continuous_, useSprayingInsteadOfDispensing_,
                                     stayAtEndOfPatternWhenDone_, std::move(layers),
                                     scaledTriple(minimumLimits_), scaledTriple(maximumLimits_));
}

} // namespace VeltranePatterns
