#include "Dotfield/Printing/Engine/PrintPattern.hpp"

#include <stdexcept>
#include <string>

#include "Dotfield/Printing/Engine/PrintingRun.hpp"
#include "Dotfield/Printing/Engine/PrintClosingSequence.hpp"
#include "Dotfield/Printing/Modes/PrintingElectronics.hpp"
#include "Dotfield/Printing/Modes/RelaySwitching.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

// The starting layer and item must lie in the pattern; the item may be one
// past the layer's last (the layer's curing is then all that is left of it),
// and past the last layer only the curing after the pattern is left.
void requireStartInPattern(const VeltranePatterns::Pattern& pattern, int initialLayer, int initialPatternItem) {
    const auto& layers = pattern.solutionLayers();
    if (initialLayer < 0 || static_cast<std::size_t>(initialLayer) > layers.size()) {
        throw Diagnostics::logAndReturnError(std::out_of_range(
            "Starting layer " + std::to_string(initialLayer) + " is outside the pattern's " +
            std::to_string(layers.size()) + " layers"));
    }
    const std::size_t items = static_cast<std::size_t>(initialLayer) < layers.size()
                                  ? layers[static_cast<std::size_t>(initialLayer)].patternItems().size()
                                  : 0;
    if (initialPatternItem < 0 || static_cast<std::size_t>(initialPatternItem) > items) {
        throw Diagnostics::logAndReturnError(std::out_of_range(
            "Starting item " + std::to_string(initialPatternItem) + " is outside the starting layer's " +
            std::to_string(items) + " items"));
    }
}

} // namespace

void printPattern(const PrintPatternArguments& arguments, PrintingElectronics& electronics) {
    const VeltranePatterns::Pattern& pattern = arguments.pattern;
    if (pattern.solutionLayers().empty()) {
        return;
    }
    requireStartInPattern(pattern, arguments.initialLayer, arguments.initialPatternItem);
    if (const auto& uvCuringMode = arguments.uvCuringMode) {
        if (!uvCuringMode->relay) {
            throw Diagnostics::logAndReturnError(std::invalid_argument("UV curing needs a relay"));
        }
        requireOpenCuringRelay(*uvCuringMode->relay);
    }

    const double scale = arguments.scaleFactor;
    const VeltranePatterns::Coordinate patternStart =
        arguments.patternStartingPoint -
        arguments.origin.correctForScale({scale, scale, scale}, VeltranePatterns::Coordinate::zero);
    arguments.robot.usePatternPrintingMovementParameters();

    const PrintClosingSequence closing(arguments.robot, electronics.statusPollTimer());
    PrintingRun(arguments, electronics, patternStart).run();
}

void printPattern(const PrintPatternArguments& arguments, Electronics& electronics) {
    ElectronicsForPrinting printingElectronics(electronics);
    printPattern(arguments, printingElectronics);
}

} // namespace Dotfield
