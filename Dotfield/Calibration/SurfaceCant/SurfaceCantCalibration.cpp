#include "Dotfield/Calibration/SurfaceCant/SurfaceCantCalibration.hpp"

#include <utility>

#include "Dotfield/Calibration/FinishFailedRun.hpp"
#include "Dotfield/Calibration/SurfaceCant/SurfaceCantFit.hpp"
#include "Dotfield/Calibration/SurfaceCant/SurfaceCantSettings.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/PositionReading.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/Robotics/SurfaceFinding.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

const char* manualPointKey(ManualCalibrationPoint point) {
    switch (point) {
    case ManualCalibrationPoint::upperLeft:
        return upperLeftManualCalibrationPointKey;
    case ManualCalibrationPoint::upperRight:
        return upperRightManualCalibrationPointKey;
    case ManualCalibrationPoint::lowerLeft:
        return lowerLeftManualCalibrationPointKey;
    }
    return upperLeftManualCalibrationPointKey;
}

constexpr ManualCalibrationPoint manualPoints[] = {ManualCalibrationPoint::upperLeft,
                                                   ManualCalibrationPoint::upperRight,
                                                   ManualCalibrationPoint::lowerLeft};

} // namespace

std::shared_ptr<SurfaceCantCalibration> SurfaceCantCalibration::create(std::shared_ptr<UserDefaults> userDefaults) {
    return std::shared_ptr<SurfaceCantCalibration>(new SurfaceCantCalibration(std::move(userDefaults)));
}

SurfaceCantCalibration::SurfaceCantCalibration(std::shared_ptr<UserDefaults> userDefaults)
    : userDefaults_(std::move(userDefaults)),
      distanceToCalibrateInX_(readDistanceToCalibrate(*userDefaults_, distanceToCalibrateInXKey)),
      distanceToCalibrateInY_(readDistanceToCalibrate(*userDefaults_, distanceToCalibrateInYKey)) {
    // Read without the effects of a change: nothing is written back.
    for (const ManualCalibrationPoint point : manualPoints) {
        manualPointField(point) = userDefaults_->coordinate(manualPointKey(point));
    }
    updateStatusOfAllManualCalibrationPoints();
    calibratedPointsForX_ = readSavedCalibrationPoints(*userDefaults_, savedCalibrationPointsForXKey);
    calibratedPointsForY_ = readSavedCalibrationPoints(*userDefaults_, savedCalibrationPointsForYKey);
}

// ---- Collaborators ------------------------------------------------------------------------

void SurfaceCantCalibration::setRobot(std::shared_ptr<Robot> robot) {
    robot_ = std::move(robot);
    stateChanged();
}

void SurfaceCantCalibration::setElectronics(std::shared_ptr<Electronics> electronics) {
    electronics_ = std::move(electronics);
}

void SurfaceCantCalibration::setRecalibrationOperationForSurfaceFinding(std::function<void()> operation) {
    recalibrationOperationForSurfaceFinding_ = std::move(operation);
}

void SurfaceCantCalibration::setErrorHandler(ErrorHandler handler) {
    errorHandler_ = std::move(handler);
}

void SurfaceCantCalibration::setDisplay(SurfaceCantCalibrationDisplay* display) {
    display_ = display;
}

void SurfaceCantCalibration::observeRobotReadiness() {
    if (!robot_) {
        return;
    }
    // Told on the main thread: true when a robot operation begins, false when it ends.
    robot_->addObserverForMovementCompletion([weak = weak_from_this()](bool busy) {
        if (const auto self = weak.lock()) {
            self->setRobotReadyToMove(!busy || self->isCalibrationInProcess());
        }
    });
}

// ---- State ----------------------------------------------------------------------------------

void SurfaceCantCalibration::setDispenserConnected(bool connected) {
    dispenserConnected_ = connected;
    stateChanged();
}

void SurfaceCantCalibration::setRobotReadyToMove(bool ready) {
    robotReadyToMove_ = ready;
    stateChanged();
}

void SurfaceCantCalibration::setDistanceToCalibrateInX(double distance) {
    if (isUsableDistanceToCalibrate(distance)) {
        distanceToCalibrateInX_ = distance;
        userDefaults_->setDouble(distance, distanceToCalibrateInXKey);
    }
}

void SurfaceCantCalibration::setDistanceToCalibrateInY(double distance) {
    if (isUsableDistanceToCalibrate(distance)) {
        distanceToCalibrateInY_ = distance;
        userDefaults_->setDouble(distance, distanceToCalibrateInYKey);
    }
}

std::optional<VeltranePatterns::Coordinate>& SurfaceCantCalibration::manualPointField(ManualCalibrationPoint point) {
    switch (point) {
    case ManualCalibrationPoint::upperRight:
        return upperRightManualCalibrationPoint_;
    case ManualCalibrationPoint::lowerLeft:
        return lowerLeftManualCalibrationPoint_;
    case ManualCalibrationPoint::upperLeft:
        break;
    }
    return upperLeftManualCalibrationPoint_;
}

const std::optional<VeltranePatterns::Coordinate>&
SurfaceCantCalibration::manualPoint(ManualCalibrationPoint point) const {
    return const_cast<SurfaceCantCalibration*>(this)->manualPointField(point);
}

std::string SurfaceCantCalibration::manualPointText(ManualCalibrationPoint point) const {
    const auto& value = manualPoint(point);
    return value ? value->description() : missingPointText;
}

void SurfaceCantCalibration::changeManualPoint(ManualCalibrationPoint point, std::optional<Coordinate> value) {
    manualPointField(point) = value;
    updateStatusOfAllManualCalibrationPoints();
    userDefaults_->setCoordinate(value, manualPointKey(point));
    if (display_) {
        display_->manualPointChanged(point);
    }
    stateChanged();
}

void SurfaceCantCalibration::updateStatusOfAllManualCalibrationPoints() {
    areAllManualPointsSet_ = upperLeftManualCalibrationPoint_ && upperRightManualCalibrationPoint_ &&
                             lowerLeftManualCalibrationPoint_;
}

SurfaceCant SurfaceCantCalibration::surfaceCant() {
    if (!surfaceCant_) {
        // Nothing fitted yet: the calibration stored last, whatever a run has
        // shown since.
        surfaceCant_ = fitSurfaceCant(readSavedCalibrationPoints(*userDefaults_, savedCalibrationPointsForXKey),
                                      readSavedCalibrationPoints(*userDefaults_, savedCalibrationPointsForYKey))
                           .surfaceCant;
    }
    return *surfaceCant_;
}

// ---- Enabling -------------------------------------------------------------------------------

bool SurfaceCantCalibration::canStartOrStop() const {
    return isCalibrationInProcess() || (robot_ && robotReadyToMove_ && dispenserConnected_);
}

bool SurfaceCantCalibration::canSetManualPosition() const {
    return robot_ && robotReadyToMove_ && !isCalibrationInProcess();
}

void SurfaceCantCalibration::stateChanged() {
    if (display_) {
        display_->calibrationStateChanged();
    }
}

// ---- Fitting and saving ---------------------------------------------------------------------

void SurfaceCantCalibration::updateCalibratedSlopes() {
    SurfaceCantFit fit = fitSurfaceCant(calibratedPointsForX_, calibratedPointsForY_);
    surfaceCant_ = fit.surfaceCant;
    slopeLinePointsForX_ = std::move(fit.slopeLinePointsForX);
    slopeLinePointsForY_ = std::move(fit.slopeLinePointsForY);
    if (display_) {
        display_->slopesChanged();
    }
}

void SurfaceCantCalibration::savePointsAndRefreshGraph() {
    userDefaults_->setCoordinates(calibratedPointsForX_, savedCalibrationPointsForXKey);
    userDefaults_->setCoordinates(calibratedPointsForY_, savedCalibrationPointsForYKey);
    updateCalibratedSlopes();
    if (display_) {
        display_->reloadGraph(SurfaceCantAxis::x);
        display_->reloadGraph(SurfaceCantAxis::y);
    }
}

// ---- Manual points --------------------------------------------------------------------------

void SurfaceCantCalibration::setManualPosition(ManualCalibrationPoint point) {
    if (!robot_) {
        return;
    }
    readPositionForModel<SurfaceCantCalibration>(
        *robot_, weak_from_this(), &SurfaceCantCalibration::errorHandler_,
        "Reading the position for a manual surface-cant point failed",
        [point](SurfaceCantCalibration& self, const Coordinate& position) { self.changeManualPoint(point, position); });
}

void SurfaceCantCalibration::useManualCalibrationPoints() {
    if (!areAllManualPointsSet_) {
        return;
    }
    calibratedPointsForX_ = {*upperLeftManualCalibrationPoint_, *upperRightManualCalibrationPoint_};
    calibratedPointsForY_ = {*upperLeftManualCalibrationPoint_, *lowerLeftManualCalibrationPoint_};
    savePointsAndRefreshGraph();
}

void SurfaceCantCalibration::clearManualCalibration() {
    for (const ManualCalibrationPoint point : manualPoints) {
        changeManualPoint(point, std::nullopt);
    }
    // Fewer than 3 points along X came from manual points (or nothing): a
    // measured calibration has 5 and stays.
    if (calibratedPointsForX_.size() < 3) {
        calibratedPointsForX_.clear();
        calibratedPointsForY_.clear();
        savePointsAndRefreshGraph();
    }
}

// ---- The run --------------------------------------------------------------------------------

void SurfaceCantCalibration::startOrStopSurfaceCantCalibration() {
    if (isCalibrationInProcess()) {
        buttonShowsCancel_ = false;
        hasCalibrationBeenCancelled_.store(true);
        stateChanged();
        return;
    }
    if (!robot_) {
        return;
    }
    buttonShowsCancel_ = true;
    hasCalibrationBeenCancelled_.store(false);
    // Set before the robot tells its observers that it is busy, so that this
    // window stays ready (its Cancel usable) through its own run.
    isCalibrationInProcess_.store(true);
    stateChanged();
    robot_->runOnRoboticsQueue([self = shared_from_this(), robot = robot_, electronics = electronics_,
                                recalibration = recalibrationOperationForSurfaceFinding_,
                                errorHandler = errorHandler_, distanceInX = distanceToCalibrateInX_,
                                distanceInY = distanceToCalibrateInY_] {
        self->runCalibration(robot, electronics, recalibration, errorHandler, distanceInX, distanceInY);
    });
}

void SurfaceCantCalibration::runCalibration(const std::shared_ptr<Robot>& robot,
                                            const std::shared_ptr<Electronics>& electronics,
                                            const std::function<void()>& recalibrationOperation,
                                            const ErrorHandler& errorHandler, double distanceInX,
                                            double distanceInY) {
    const auto handOn = [&errorHandler](std::exception_ptr error) {
        if (errorHandler) {
            errorHandler(error);
        } else {
            Diagnostics::printWithContext("A surface-cant calibration failed without an error handler");
        }
    };
    // Read here, after the operations queued before the run: the position the
    // run starts from and returns to when it is cancelled.
    const Coordinate startPoint = robot->currentCoordinate();
    onMainThread([](SurfaceCantCalibration& self) { self.runStarted(); });
    try {
        if (!electronics) {
            throw Diagnostics::logAndReturnError(
                ElectronicsError(ElectronicsErrorKind::electronicsDisconnected));
        }
        ElectronicsDispenserSensing sensing(*electronics);
        SurfaceCantMeasurementSteps steps;
        steps.startPointMeasured = [this](const Coordinate& point) {
            onMainThread([point](SurfaceCantCalibration& self) { self.startPointMeasured(point); });
        };
        steps.pointMeasured = [this](SurfaceCantAxis axis, const Coordinate& point) {
            onMainThread([axis, point](SurfaceCantCalibration& self) { self.pointMeasured(axis, point); });
        };
        steps.linesMeasured = [this](const SurfaceCantPoints& points) {
            onMainThread([points](SurfaceCantCalibration& self) { self.linesMeasured(points); });
        };
        performSurfaceCantCalibration(*robot, sensing, recalibrationOperation, startPoint, distanceInX, distanceInY,
                                      hasCalibrationBeenCancelled_, steps);
    } catch (...) {
        if (const auto error =
                finishFailedRun(std::current_exception(), *robot, hasCalibrationBeenCancelled_, startPoint)) {
            handOn(error);
        }
    }
    onMainThread([](SurfaceCantCalibration& self) { self.runEnded(); });
}

void SurfaceCantCalibration::onMainThread(std::function<void(SurfaceCantCalibration&)> step) {
    MainQueue& main = MainQueue::main();
    if (main.isCurrent()) {
        step(*this);
    } else {
        main.async([self = shared_from_this(), step = std::move(step)] { step(*self); });
    }
}

void SurfaceCantCalibration::runStarted() {
    calibratedPointsForX_.clear();
    calibratedPointsForY_.clear();
    slopeLinePointsForX_.clear();
    slopeLinePointsForY_.clear();
    if (display_) {
        display_->updatePlotSpaceBounds();
        display_->reloadGraph(SurfaceCantAxis::x);
        display_->reloadGraph(SurfaceCantAxis::y);
    }
}

void SurfaceCantCalibration::startPointMeasured(const Coordinate& point) {
    calibratedPointsForX_.push_back(point);
    calibratedPointsForY_.push_back(point);
    if (display_) {
        display_->reloadGraph(SurfaceCantAxis::x);
        display_->reloadGraph(SurfaceCantAxis::y);
    }
}

void SurfaceCantCalibration::pointMeasured(SurfaceCantAxis axis, const Coordinate& point) {
    (axis == SurfaceCantAxis::x ? calibratedPointsForX_ : calibratedPointsForY_).push_back(point);
    if (display_) {
        display_->reloadGraph(axis);
    }
}

void SurfaceCantCalibration::linesMeasured(const SurfaceCantPoints& points) {
    calibratedPointsForX_ = points.pointsForX;
    calibratedPointsForY_ = points.pointsForY;
    savePointsAndRefreshGraph();
}

void SurfaceCantCalibration::runEnded() {
    isCalibrationInProcess_.store(false);
    buttonShowsCancel_ = false;
    stateChanged();
}

} // namespace Dotfield
