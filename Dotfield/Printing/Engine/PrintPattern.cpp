#include "Dotfield/Printing/Engine/PrintPattern.hpp"

#include <stdexcept>
#include <string>

#include "Dotfield/Printing/Engine/PrintingRun.hpp"
#include "Dotfield/Printing/Engine/PrintClosingSequence.hpp"
#include "Dotfield/Printing/Modes/PrintingElectronics.hpp"
#include "Dotfield/Printing/Modes/RelaySwitching.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "VeltranePatterns/Source/Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

// The starting layer and item must lie in the pattern; the item may be one
// past the layer's last (the layer's curing is then all that is left of it),
// and past the last layer only the curing after the pattern is left.
void requireStartInPattern(const VeltranePatterns::Pattern& pattern, int initialLayer, int initialPatternItem) {
    const auto& layers = pattern.solutionLayers();
    if (initialLayer < 0 || static_cast<std::size_t>(initialLayer) > layers.size()) {
        throw VeltranePatterns::logAndReturnError(std::out_of_range(
            "Starting layer " + std::to_string(initialLayer) + " is outside the pattern's " +
            std::to_string(layers.size()) + " layers"));
    }
    const std::size_t items = static_cast<std::size_t>(initialLayer) < layers.size()
                                  ? layers[static_cast<std::size_t>(initialLayer)].patternItems().size()
                                  : 0;
    if (initialPatternItem < 0 || static_cast<std::size_t>(initialPatternItem) > items) {
        throw VeltranePatterns::logAndReturnError(std::out_of_range(
            "Starting item " + std::to_string(initialPatternItem) + " is outside the starting layer's " +
            std::to_string(items) + " items"));
    }
}

} // namespace

void printPattern(const VeltranePatterns::Pattern& pattern,
                  const VeltranePatterns::Coordinate& patternStartingPoint, int initialLayer,
                  int initialPatternItem, Robot& robot, PrintingElectronics& electronics,
                  const SolutionMappingTable& solutionMappingTable, const std::set<std::string>& disabledLayers,
                  const SurfaceCant& surfaceCant, const VeltranePatterns::Coordinate& origin, double scaleFactor,
                  const Zovudidova::Angle& rotation, double featureWidth, bool useSprayingInsteadOfDispensing,
                  const std::shared_ptr<SurfaceTopographyMap>& topographyMap,
                  const std::optional<UVCuringPatternMode>& uvCuringMode,
                  const std::optional<Zovudidova::Duration>& overriddenDropletDuration,
                  const SolutionChangedOperation& solutionChangedOperation,
                  bool findSurfaceAtStartOfEachPatternItem, const std::function<void()>& recalibrationOperation,
                  const ShouldCancelOperation& shouldCancelOperation) {
    if (pattern.solutionLayers().empty()) {
        return;
    }
    requireStartInPattern(pattern, initialLayer, initialPatternItem);
    if (uvCuringMode) {
        if (!uvCuringMode->relay) {
            throw VeltranePatterns::logAndReturnError(std::invalid_argument("UV curing needs a relay"));
        }
        requireOpenCuringRelay(*uvCuringMode->relay);
    }

    const VeltranePatterns::Coordinate patternStart =
        patternStartingPoint -
        origin.correctForScale({scaleFactor, scaleFactor, scaleFactor}, VeltranePatterns::Coordinate::zero);
    robot.usePatternPrintingMovementParameters();

    const PrintingArguments arguments{pattern,
                                   initialLayer,
                                   initialPatternItem,
                                   robot,
                                   electronics,
                                   solutionMappingTable,
                                   disabledLayers,
                                   surfaceCant,
                                   scaleFactor,
                                   rotation,
                                   featureWidth,
                                   useSprayingInsteadOfDispensing,
                                   topographyMap,
                                   uvCuringMode,
                                   overriddenDropletDuration,
                                   solutionChangedOperation,
                                   findSurfaceAtStartOfEachPatternItem,
                                   recalibrationOperation,
                                   shouldCancelOperation};
    const PrintClosingSequence closing(robot, electronics.statusPollTimer());
    PrintingRun(arguments, patternStart).run();
}

void printPattern(const VeltranePatterns::Pattern& pattern,
                  const VeltranePatterns::Coordinate& patternStartingPoint, int initialLayer,
                  int initialPatternItem, Robot& robot, Electronics& electronics,
                  const SolutionMappingTable& solutionMappingTable, const std::set<std::string>& disabledLayers,
                  const SurfaceCant& surfaceCant, const VeltranePatterns::Coordinate& origin, double scaleFactor,
                  const Zovudidova::Angle& rotation, double featureWidth, bool useSprayingInsteadOfDispensing,
                  const std::shared_ptr<SurfaceTopographyMap>& topographyMap,
                  const std::optional<UVCuringPatternMode>& uvCuringMode,
                  const std::optional<Zovudidova::Duration>& overriddenDropletDuration,
                  const SolutionChangedOperation& solutionChangedOperation,
                  bool findSurfaceAtStartOfEachPatternItem, const std::function<void()>& recalibrationOperation,
                  const ShouldCancelOperation& shouldCancelOperation) {
    ElectronicsForPrinting printingElectronics(electronics);
    printPattern(pattern, patternStartingPoint, initialLayer, initialPatternItem, robot, printingElectronics,
                 solutionMappingTable, disabledLayers, surfaceCant, origin, scaleFactor, rotation, featureWidth,
                 useSprayingInsteadOfDispensing, topographyMap, uvCuringMode, overriddenDropletDuration,
                 solutionChangedOperation, findSurfaceAtStartOfEachPatternItem, recalibrationOperation,
                 shouldCancelOperation);
}

} // namespace Dotfield
