#pragma once
// Making patterns and running a print with every argument at a plain default,
// for the engine's tests.

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "Dotfield/Printing/Engine/PrintPattern.hpp"
#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/Pattern/Pattern.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield::testing {

using Layer = std::pair<std::string, std::vector<VeltranePatterns::PatternItemPtr>>;

inline VeltranePatterns::Pattern makePattern(const std::vector<Layer>& layers, bool continuous = false) {
    std::vector<VeltranePatterns::SolutionLayer> solutionLayers;
    for (const auto& [name, items] : layers) {
        solutionLayers.emplace_back(items, name);
    }
    return VeltranePatterns::Pattern(Zovudidova::DistanceUnit::microns, 1.0, 1.0, 100.0, std::nullopt,
                                     std::nullopt, std::nullopt, std::nullopt, continuous, false, false,
                                     std::move(solutionLayers), {}, {});
}

inline VeltranePatterns::PatternItemPtr point(double x, double y, double seconds = 0.1, bool sensing = false) {
    return std::make_shared<VeltranePatterns::Point>(VeltranePatterns::Coordinate{x, y, 0.0},
                                                     Zovudidova::seconds(seconds), sensing);
}

inline VeltranePatterns::PatternItemPtr line(double x0, double y0, double x1, double y1) {
    return std::make_shared<VeltranePatterns::Line>(VeltranePatterns::Coordinate{x0, y0, 0.0},
                                                    VeltranePatterns::Coordinate{x1, y1, 0.0});
}

// What one print is called with, besides the pattern, robot and electronics.
struct PrintCall {
    VeltranePatterns::Coordinate start{10000.0, 20000.0, 5000.0};
    int initialLayer = 0;
    int initialPatternItem = 0;
    SolutionMappingTable wells;
    std::set<std::string> disabledLayers;
    SurfaceCant surfaceCant;
    VeltranePatterns::Coordinate origin;
    double scaleFactor = 1.0;
    Zovudidova::Angle rotation = Zovudidova::radians(0.0);
    double featureWidth = 100.0;
    bool spray = false;
    std::shared_ptr<SurfaceTopographyMap> topographyMap;
    std::optional<UVCuringPatternMode> uvCuring;
    std::optional<Zovudidova::Duration> dropletDuration;
    bool findSurfaceEachItem = false;

    // Every stop question asked, and the loads asked for.
    std::vector<std::tuple<int, int, double>> questions;
    std::vector<std::pair<std::string, bool>> loads;
    // Answers a stop question; never stops by default.
    std::function<bool(int, int, double)> stopWhen;

    template <typename Electronics>
    void print(const VeltranePatterns::Pattern& pattern, Robot& robot, Electronics& electronics) {
        printPattern({.pattern = pattern,
                      .patternStartingPoint = start,
                      .initialLayer = initialLayer,
                      .initialPatternItem = initialPatternItem,
                      .robot = robot,
                      .solutionMappingTable = wells,
                      .disabledLayers = disabledLayers,
                      .surfaceCant = surfaceCant,
                      .origin = origin,
                      .scaleFactor = scaleFactor,
                      .rotation = rotation,
                      .featureWidth = featureWidth,
                      .useSprayingInsteadOfDispensing = spray,
                      .topographyMap = topographyMap,
                      .uvCuringMode = uvCuring,
                      .overriddenDropletDuration = dropletDuration,
                      .solutionChangedOperation =
                          [this](const SolutionWell& well, bool reloading) { loads.emplace_back(well.name, reloading); },
                      .findSurfaceAtStartOfEachPatternItem = findSurfaceEachItem,
                      .recalibrationOperation = [] {},
                      .shouldCancelOperation =
                          [this](int layer, int item, double percent) {
                              questions.emplace_back(layer, item, percent);
                              return stopWhen && stopWhen(layer, item, percent);
                          }},
                     electronics);
    }
};

} // namespace Dotfield::testing
