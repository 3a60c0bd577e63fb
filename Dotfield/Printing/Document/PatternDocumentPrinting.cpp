// Print control of a pattern document: the three buttons, the range check,
// the run on the robot's queue and the recording of its progress.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Dotfield/Platform/Alerts/AlertPresenter.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Printing/Document/PatternDocument.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

namespace {

using VeltranePatterns::Coordinate;

// Runs the work on the main thread: at once there, else posted.
void onMainThread(std::function<void()> work) {
    if (MainQueue::main().isCurrent()) {
        work();
    } else {
        MainQueue::main().async(std::move(work));
    }
}

bool askOperator(const ErrorAlertContent& content) {
    const auto presenter = currentAlertPresenter();
    return presenter && presenter->runModalAlert(content) == AlertResponse::defaultButton;
}

} // namespace

// ---- Buttons (main thread) ----------------------------------------------------------------------

void PatternDocument::pauseOrResume() {
    if (windowSide_) {
        windowSide_->endEditing();
    }
    showPrintControls(pauseButtonTitle_, true, true);
    if (!currentlyPrinting()) {
        const auto robot = this->robot();
        const Coordinate reference =
            previousStartingCoordinate().value_or(robot ? robot->currentCoordinate() : Coordinate());
        if (patternExceedsRobotLimits(reference.x, reference.y) &&
            !askOperator({"Print", "Cancel", outOfRangeMessage, outOfRangeText})) {
            return;
        }
    }
    if (!printingPaused()) {
        setPrintingPaused(true);
        showPausedControls();
        return;
    }
    if (currentlyPrinting()) {
        // A pause still pending: the engine has not stopped yet and goes on.
        setPrintingPaused(false);
        showPrintControls(pauseTitle, true, false);
        return;
    }
    auto [layer, item] = std::pair{lastLayerPrinted(), lastItemPrinted()};
    if (startingFieldsEdited_ && startingLayer() > 0 && startingItemInLayer() > 0) {
        std::tie(layer, item) = startingPositionFromFields();
    }
    queueRun(layer, item);
}

void PatternDocument::cancelPrinting() {
    setPrintingCancelled(true);
    printStatus_ = cancelledStatus;
    notify("printStatus");
    if (!currentlyPrinting()) {
        close();
    }
}

bool PatternDocument::canResumeFromHere() const {
    return !currentlyPrinting() && printingPaused() && previousStartingCoordinate() && previousEndingCoordinate();
}

void PatternDocument::resumeFromHere() {
    const auto robot = this->robot();
    if (!canResumeFromHere() || !robot) {
        return;
    }
    const Coordinate here = robot->currentCoordinate();
    setPreviousStartingCoordinate(*previousStartingCoordinate() + (here - *previousEndingCoordinate()));
    setPreviousEndingCoordinate(here);
    queueRun(lastLayerPrinted(), lastItemPrinted());
}

void PatternDocument::queueRun(int initialLayer, int initialItem) {
    const auto robot = this->robot();
    const auto table = currentMappingTable();
    if (!robot || !table) {
        return;
    }
    setPrintingPaused(false);
    showPrintControls(pauseTitle, true, false);
    setLastLayerPrinted(initialLayer);
    setLastItemPrinted(initialItem);
    startingFieldsEdited_ = false;
    stopReason_ = StopReason::none;
    // Running from now on, so no press can queue a second run before this one starts.
    setCurrentlyPrinting(true);
    std::shared_ptr<PatternDocument> self = shared_from_this();
    robot->runOnRoboticsQueue([self, table = *table, initialLayer, initialItem] {
        self->runPrint(table, initialLayer, initialItem);
    });
}

std::optional<std::map<std::string, SolutionWell>> PatternDocument::currentMappingTable() const {
    const auto wells = currentSolutionWells ? currentSolutionWells() : solutionWells();
    std::map<std::string, SolutionWell> table;
    for (const auto& [solution, mapped] : previouslySetMappingTable()) {
        const auto well = std::find_if(wells.begin(), wells.end(),
                                       [&](const SolutionWell& candidate) { return candidate.name == mapped.name; });
        if (well == wells.end()) {
            askOperator({"OK", std::nullopt,
                         "The solution well \u201C" + mapped.name + "\u201D for \u201C" + solution +
                             "\u201D no longer exists.",
                         missingWellText});
            return std::nullopt;
        }
        table.emplace(solution, *well);
    }
    return table;
}

std::pair<int, int> PatternDocument::startingPositionFromFields() const {
    const auto pattern = this->pattern();
    const int layerCount = pattern ? static_cast<int>(pattern->solutionLayers().size()) : 0;
    if (layerCount == 0) {
        return {0, 0};
    }
    const int layer = std::clamp(startingLayer() - 1, 0, layerCount - 1);
    const int itemCount =
        static_cast<int>(pattern->solutionLayers()[static_cast<std::size_t>(layer)].patternItems().size());
    const int item = std::max(std::min(startingItemInLayer() - 1, itemCount - 1), 0);
    return {layer, item};
}

// ---- Range check -------------------------------------------------------------------------------

bool PatternDocument::patternExceedsRobotLimits(double x, double y) const {
    const auto robot = this->robot();
    if (!robot) {
        return false;
    }
    const Coordinate minimum = robot->minimumMotorPosition();
    const Coordinate maximum = robot->maximumMotorPosition();
    const double s = scalingFromUnitsToMicrons();
    const Coordinate anchor = Coordinate(x, y, 0.0) - Coordinate(originX(), originY(), 0.0) * s;
    const auto angle = rotation();
    // The engine places pattern point q at R(q × s) + anchor; the extent's
    // corners, placed so, bound everything the pattern reaches.
    for (const double cornerX : {limits_.minX, limits_.maxX}) {
        for (const double cornerY : {limits_.minY, limits_.maxY}) {
            const Coordinate placed =
                (Coordinate(cornerX, cornerY, 0.0) * s).correctForRotation(angle, Coordinate::zero) + anchor;
            if (maximum.x < placed.x || placed.x < minimum.x || maximum.y < placed.y || placed.y < minimum.y) {
                return true;
            }
        }
    }
    return false;
}

// ---- The run (robot's queue) --------------------------------------------------------------------

void PatternDocument::runPrint(std::map<std::string, SolutionWell> solutionMappingTable, int initialLayer,
                               int initialItem) {
    std::shared_ptr<PatternDocument> self = shared_from_this();
    onMainThread([self] { self->setCurrentlyPrinting(true); });
    {
        const std::lock_guard lock(mutex_);
        previouslySetMappingTable_ = solutionMappingTable;
    }
    const auto robot = this->robot();
    try {
        if (!robot) {
            throw std::logic_error("A print needs a positioner");
        }
        if (const auto start = previousStartingCoordinate()) {
            const Coordinate ending = previousEndingCoordinate().value_or(*start);
            robot->moveToPosition(ending, robot->safePickupHeight().value_or(0.0) + ending.z);
        } else {
            setPreviousStartingCoordinate(robot->currentCoordinate());
        }
        const PatternPrintRun run = makeRun(std::move(solutionMappingTable), initialLayer, initialItem);
        if (!printPatternOperation) {
            throw std::logic_error("No printing engine");
        }
        printPatternOperation(run);
        finishRun(robot);
    } catch (...) {
        if (robot) {
            setPreviousEndingCoordinate(robot->currentCoordinate());
        }
        onMainThread([self] {
            self->setPrintingPaused(true);
            self->showPausedControls();
        });
        if (errorHandler) {
            errorHandler(std::current_exception());
        }
    }
    onMainThread([self] {
        self->setCurrentlyPrinting(false);
        self->notify("canResumeFromHere");
    });
}

PatternPrintRun PatternDocument::makeRun(std::map<std::string, SolutionWell> solutionMappingTable,
                                         int initialLayer, int initialItem) {
    PatternPrintRun run;
    run.initialLayer = initialLayer;
    run.initialPatternItem = initialItem;
    // The preview is the main thread's: its disabled layers are read there,
    // and a print in the order as read shows that order first.
    const bool optimize = optimizePatternLayout();
    MainQueue::main().sync([&] {
        run.pattern = optimize ? optimizedPattern() : pattern();
        if (preview_) {
            if (!optimize) {
                preview_->setPattern(run.pattern);
                preview_->rebuildPatternItemLayers();
                preview_->setNeedsDisplay();
            }
            run.disabledLayers = preview_->disabledLayers();
        }
    });
    run.patternStartingPoint = previousStartingCoordinate().value_or(Coordinate());
    run.robot = robot();
    run.electronics = electronics();
    run.solutionMappingTable = std::move(solutionMappingTable);
    run.surfaceCant = surfaceCant();
    run.origin = Coordinate(originX(), originY(), originZ());
    run.scaleFactor = scalingFromUnitsToMicrons();
    run.rotation = rotation();
    run.featureWidth = featureWidth();
    run.useSprayingInsteadOfDispensing = useSprayingInsteadOfDispensing();
    run.topographyMap = topographyMap();
    run.uvCuringMode = uvCuringMode();
    if (overrideDropletDispensingTime()) {
        run.overriddenDropletDuration = Zovudidova::milliseconds(overriddenDropletDispensingTimeInMilliseconds());
    }
    run.solutionChangedOperation = solutionChangedInDispenserOperation;
    run.findSurfaceAtStartOfEachPatternItem = findSurfaceAtStartOfEachPatternItem();
    run.recalibrationOperation = recalibrationOperation;
    std::weak_ptr<PatternDocument> weak = weak_from_this();
    run.shouldCancelOperation = [weak](int layer, int item, double percentComplete) {
        const auto document = weak.lock();
        return !document || document->recordPrintingProgress(layer, item, percentComplete);
    };
    return run;
}

void PatternDocument::finishRun(const std::shared_ptr<Robot>& robot) {
    setPreviousEndingCoordinate(robot->currentCoordinate());
    // A cancel wins over a pause asked before it; a pause counts when the
    // engine stopped on it, whatever the button says by now.
    if (!printingCancelled() && stopReason_ == StopReason::paused) {
        std::shared_ptr<PatternDocument> self = shared_from_this();
        onMainThread([self] {
            self->setPrintingPaused(true);
            self->showPausedControls();
        });
        return;
    }
    const bool finished = !printingCancelled() && stopReason_ == StopReason::none;
    if (!stayAtEndOfPatternWhenDone()) {
        const Coordinate start = previousStartingCoordinate().value_or(robot->currentCoordinate());
        robot->moveToPosition(start, robot->patternPickupDistance() + start.z);
    }
    MainQueue::main().sync([this, finished] {
        if (finished) {
            printProgress_ = 100.0;
            printStatus_ = printStatusText(100.0);
            notify("printProgress");
            notify("printStatus");
        }
        close();
    });
}

bool PatternDocument::recordPrintingProgress(int layer, int item, double percentComplete) {
    lastLayerPrinted_ = layer;
    lastItemPrinted_ = item;
    std::weak_ptr<PatternDocument> weak = weak_from_this();
    onMainThread([weak, layer, item, percentComplete] {
        if (const auto document = weak.lock()) {
            document->updatePrintStatus(layer, item, percentComplete);
        }
    });
    if (printingCancelled()) {
        stopReason_ = StopReason::cancelled;
        return true;
    }
    if (printingPaused()) {
        stopReason_ = StopReason::paused;
        return true;
    }
    return false;
}

// ---- Display (main thread) ------------------------------------------------------------------------

void PatternDocument::updatePrintStatus(int layer, int item, double percentComplete) {
    if (preview_) {
        preview_->setCurrentlyPrinting(layer, item);
        preview_->setNeedsDisplay();
    }
    printProgress_ = percentComplete;
    notify("printProgress");
    if (!printingCancelled()) {
        printStatus_ = printStatusText(percentComplete);
        notify("printStatus");
    }
    setStartingPosition(layer + 1, item + 1);
}

std::string PatternDocument::printStatusText(double percentComplete) {
    char number[64];
    std::snprintf(number, sizeof number, "%.2f", percentComplete);
    std::string text = "Dispense status: ";
    // The C library follows the user's locale under Qt; the status reads a point.
    for (char& c : number) {
        if (c == ',') {
            c = '.';
        }
    }
    return text + number + "% complete";
}

void PatternDocument::setStartingPosition(int layer, int item) {
    // The fields follow the run; an operator's edit since the pause stays.
    if (startingFieldsEdited_) {
        return;
    }
    startingLayer_ = layer;
    startingItemInLayer_ = item;
    notify("startingLayer");
    notify("startingItemInLayer");
}

void PatternDocument::showPrintControls(std::optional<std::string> pauseTitle, bool cancelShown,
                                        bool resumeFromHereShown) {
    pauseButtonTitle_ = std::move(pauseTitle);
    cancelButtonShown_ = cancelShown;
    resumeFromHereButtonShown_ = resumeFromHereShown;
    notify("printControls");
}

void PatternDocument::showPausedControls() { showPrintControls(resumeTitle, true, true); }

void PatternDocument::close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    setPrintingCancelled(true);
    if (windowSide_) {
        windowSide_->closeDocumentWindow();
    }
    if (documentClosedOperation) {
        documentClosedOperation();
    }
}

} // namespace Dotfield
