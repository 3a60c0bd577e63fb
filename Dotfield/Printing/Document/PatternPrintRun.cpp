#include "Dotfield/Printing/Document/PatternPrintRun.hpp"

#include <stdexcept>

#include "Dotfield/Printing/Engine/PrintPattern.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

PrintPatternArguments printPatternArguments(const PatternPrintRun& run) {
    if (!run.pattern) {
        throw Diagnostics::logAndReturnError(std::invalid_argument("A print needs a pattern"));
    }
    if (!run.robot) {
        throw Diagnostics::logAndReturnError(std::invalid_argument("A print needs a positioner"));
    }
    return {.pattern = *run.pattern,
            .patternStartingPoint = run.patternStartingPoint,
            .initialLayer = run.initialLayer,
            .initialPatternItem = run.initialPatternItem,
            .robot = *run.robot,
            .solutionMappingTable = run.solutionMappingTable,
            .disabledLayers = run.disabledLayers,
            .surfaceCant = run.surfaceCant,
            .origin = run.origin,
            .scaleFactor = run.scaleFactor,
            .rotation = run.rotation,
            .featureWidth = run.featureWidth,
            .useSprayingInsteadOfDispensing = run.useSprayingInsteadOfDispensing,
            .topographyMap = run.topographyMap,
            .uvCuringMode = run.uvCuringMode,
            .overriddenDropletDuration = run.overriddenDropletDuration,
            .solutionChangedOperation = run.solutionChangedOperation,
            .findSurfaceAtStartOfEachPatternItem = run.findSurfaceAtStartOfEachPatternItem,
            .recalibrationOperation = run.recalibrationOperation,
            .shouldCancelOperation = run.shouldCancelOperation};
}

void printWithEngine(const PatternPrintRun& run) {
    if (!run.electronics) {
        throw Diagnostics::logAndReturnError(std::invalid_argument("A print needs the electronics"));
    }
    printPattern(printPatternArguments(run), *run.electronics);
}

void printWithEngine(const PatternPrintRun& run, PrintingElectronics& electronics) {
    printPattern(printPatternArguments(run), electronics);
}

} // namespace Dotfield
