#include "Dotfield/Printing/Engine/PrintingRun.hpp"

#include <string>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Printing/Engine/PrintTravel.hpp"
#include "Dotfield/Printing/Modes/PrintingElectronics.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/Robotics/SurfaceFinding.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"
#include "VeltranePatterns/Source/Items/Point.hpp"

namespace Dotfield {

namespace {

using VeltranePatterns::PatternItem;

PrintProgress startingProgress(const std::vector<VeltranePatterns::SolutionLayer>& layers, int initialLayer,
                               int initialPatternItem) {
    std::size_t total = 0;
    std::size_t done = 0;
    for (std::size_t i = 0; i < layers.size(); ++i) {
        total += layers[i].patternItems().size();
        if (i < static_cast<std::size_t>(initialLayer)) {
            done += layers[i].patternItems().size();
        }
    }
    return {total, done + static_cast<std::size_t>(initialPatternItem)};
}

std::string itemDescription(const VeltranePatterns::PatternItemPtr& item) {
    if (!item) {
        return "(no item)";
    }
    return std::string(VeltranePatterns::patternItemKindName(item->kind())) + " at " +
           item->startingCoordinate().description();
}

[[noreturn]] void abortMove() {
    throw Diagnostics::logAndReturnError(RoboticsError(RoboticsError::Kind::abortedDuringMove));
}

} // namespace

PrintingRun::PrintingRun(const PrintPatternArguments& arguments, PrintingElectronics& electronics,
                         const Coordinate& patternStart)
    : arguments_(arguments), electronics_(electronics), layers_(arguments.pattern.solutionLayers()),
      itemMode_(arguments.useSprayingInsteadOfDispensing ? PrintingMode::spray() : PrintingMode::dispense()),
      patternStart_(patternStart),
      surfaceCant_{arguments.surfaceCant.xSlope, arguments.surfaceCant.ySlope, arguments.patternStartingPoint},
      progress_(startingProgress(layers_, arguments.initialLayer, arguments.initialPatternItem)) {}

void PrintingRun::run() {
    const auto layerCount = static_cast<int>(layers_.size());
    for (int layer = arguments_.initialLayer; layer < layerCount; ++layer) {
        if (shouldStop(layer, 0)) {
            return;
        }
        const Layer& solutionLayer = layers_[static_cast<std::size_t>(layer)];
        if (arguments_.disabledLayers.contains(solutionLayer.solutionName())) {
            continue;
        }
        loadSolution(solutionLayer);
        const int itemCount = static_cast<int>(solutionLayer.patternItems().size());
        for (int item = layer == arguments_.initialLayer ? arguments_.initialPatternItem : 0; item < itemCount;
             ++item) {
            if (!printItemAt(layer, item)) {
                return;
            }
        }
        if (!cureAfterLayer(layer)) {
            return;
        }
    }
    cureAfterPattern();
}

bool PrintingRun::shouldStop(int layer, int item, double fractionOfItem) const {
    return arguments_.shouldCancelOperation &&
           arguments_.shouldCancelOperation(layer, item, progress_.percent(fractionOfItem));
}

ItemProgressHandler PrintingRun::progressHandler(int layer, int item) const {
    return [this, layer, item](double fraction) { return shouldStop(layer, item, fraction); };
}

ItemPrinting PrintingRun::printingAt(const Coordinate& anchor, const PrintingMode& mode,
                                         const ItemProgressHandler& handler) const {
    return ItemPrinting{anchor,
                        surfaceCant_,
                        arguments_.scaleFactor,
                        arguments_.rotation,
                        arguments_.featureWidth,
                        arguments_.robot,
                        electronics_,
                        arguments_.topographyMap,
                        mode,
                        handler};
}

VeltranePatterns::Coordinate PrintingRun::correctedStart(const PatternItem& item,
                                                             const Coordinate& anchor) const {
    const Coordinate start = correctedPoint(item.startingCoordinate(),
                                            {anchor, surfaceCant_, arguments_.scaleFactor,
                                             arguments_.rotation, arguments_.topographyMap});
    if (!VeltranePatterns::isFinite(start)) {
        abortMove();
    }
    return start;
}

void PrintingRun::loadSolution(const Layer& layer) {
    const auto well = arguments_.solutionMappingTable.find(layer.solutionName());
    if (well == arguments_.solutionMappingTable.end()) {
        currentWell_ = nullptr;
        reload_.stop();
        return;
    }
    Robot& robot = arguments_.robot;
    const Coordinate pickup = robot.currentCoordinate().coordinateByIncreasingHeight(robot.patternPickupDistance());
    if (!robot.isCoordinateWithinLimits(pickup)) {
        abortMove();
    }
    robot.moveToPosition(pickup);
    currentWell_ = &well->second;
    if (arguments_.solutionChangedOperation) {
        arguments_.solutionChangedOperation(*currentWell_, false);
    }
    reload_.start(currentWell_->reloadQuantity, arguments_.featureWidth);
}

bool PrintingRun::printItemAt(int layer, int itemIndex) {
    if (shouldStop(layer, itemIndex)) {
        return false;
    }
    const VeltranePatterns::PatternItemPtr& item =
        layers_[static_cast<std::size_t>(layer)].patternItems()[static_cast<std::size_t>(itemIndex)];
    if (!item || !isPrintablePatternItem(*item)) {
        Diagnostics::printWithContext("Could not print item: " + itemDescription(item));
        return true;
    }

    reloadIfUsedUp(*item);
    const Coordinate start = correctedStart(*item, patternStart_);
    travelToItem(arguments_.robot, start, arguments_.pattern.continuous(), true);
    if (arguments_.findSurfaceAtStartOfEachPatternItem || item->surfaceSensing()) {
        findSurface(start);
    }

    VeltranePatterns::PatternItemPtr printed = item;
    if (arguments_.overriddenDropletDuration) {
        if (const auto point = VeltranePatterns::patternItemAs<VeltranePatterns::Point>(item)) {
            printed = std::make_shared<VeltranePatterns::Point>(
                point->location(), *arguments_.overriddenDropletDuration, point->surfaceSensing());
        }
    }
    const ItemProgressHandler handler = progressHandler(layer, itemIndex);
    printItem(*printed, printingAt(patternStart_, itemMode_, handler));

    progress_.itemDone();
    if (arguments_.uvCuringMode && arguments_.uvCuringMode->kind == UVCuringPatternMode::Kind::whilePrinting) {
        // The item is printed: a pause, stop or failure from here on resumes
        // with the next item, so resuming never prints this one twice. A stop
        // answered now takes effect at the next question, after the cure.
        static_cast<void>(shouldStop(layer, itemIndex + 1));
        cureWhilePrinting(*item, start, layer, itemIndex);
    }
    return true;
}

void PrintingRun::reloadIfUsedUp(const PatternItem& item) {
    if (!reload_.tracking()) {
        return;
    }
    if (reload_.needsReloadFor(item.itemLengthForFeatureWidth(arguments_.featureWidth, arguments_.scaleFactor)) &&
        arguments_.solutionChangedOperation) {
        arguments_.solutionChangedOperation(*currentWell_, true);
    }
}

void PrintingRun::findSurface(const Coordinate& plannedStart) {
    Robot& robot = arguments_.robot;
    const bool slow = robot.shouldUseSlowApproachDuringSurfaceFinding();
    const std::function<void()> recalibration =
        arguments_.recalibrationOperation ? arguments_.recalibrationOperation : [] {};
    findSurfaceWithApproachStepSize(slow ? robot.slowSurfaceApproachStepSize() : robot.surfaceApproachStepSize(),
                                    robot.surfaceRetractionStepSize(), !slow, robot, electronics_,
                                    recalibration);
    // This item and every later one print relative to the surface found.
    patternStart_.z += robot.currentCoordinate().z - plannedStart.z;
}

} // namespace Dotfield
