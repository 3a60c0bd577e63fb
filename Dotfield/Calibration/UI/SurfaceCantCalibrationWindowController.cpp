#include "Dotfield/Calibration/UI/SurfaceCantCalibrationWindowController.hpp"

#include <utility>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "Dotfield/Platform/Qt/Widgets/DeviceWindowNumbers.hpp"
#include "Dotfield/Calibration/SurfaceCant/SurfaceCantFit.hpp"
#include "Dotfield/Calibration/UI/SurfaceCantGraph.hpp"
#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

namespace {

constexpr std::array<ManualCalibrationPoint, 3> manualPoints{
    ManualCalibrationPoint::upperLeft, ManualCalibrationPoint::upperRight, ManualCalibrationPoint::lowerLeft};

std::size_t slot(ManualCalibrationPoint point) {
    return static_cast<std::size_t>(point);
}

const char* manualButtonTitle(ManualCalibrationPoint point) {
    switch (point) {
    case ManualCalibrationPoint::upperRight:
        return "Set upper right";
    case ManualCalibrationPoint::lowerLeft:
        return "Set lower left";
    case ManualCalibrationPoint::upperLeft:
        break;
    }
    return "Set upper left";
}

const char* manualObjectName(ManualCalibrationPoint point, bool button) {
    switch (point) {
    case ManualCalibrationPoint::upperRight:
        return button ? "upperRightManualCalibrationButton" : "upperRightManualCoordinateLabel";
    case ManualCalibrationPoint::lowerLeft:
        return button ? "lowerLeftManualCalibrationButton" : "lowerLeftManualCoordinateLabel";
    case ManualCalibrationPoint::upperLeft:
        break;
    }
    return button ? "upperLeftManualCalibrationButton" : "upperLeftManualCoordinateLabel";
}

QPushButton* makeButton(const char* title, const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(title), parent);
    button->setObjectName(objectName);
    return button;
}

} // namespace

SurfaceCantCalibrationWindowController::SurfaceCantCalibrationWindowController(
    std::shared_ptr<UserDefaults> userDefaults, QObject* parent)
    : DeviceWindowController(parent), calibration_(SurfaceCantCalibration::create(std::move(userDefaults))) {
    calibration_->setDisplay(this);
    lastAreAllManualPointsSet_ = calibration_->areAllManualPointsSet();
}

SurfaceCantCalibrationWindowController::~SurfaceCantCalibrationWindowController() {
    // A run still under way keeps the calibration; it must not reach this window.
    calibration_->setDisplay(nullptr);
    deleteWindow();
}

// ---- Collaborators ----------------------------------------------------------------------------

void SurfaceCantCalibrationWindowController::setRobot(std::shared_ptr<Robot> robot) {
    calibration_->setRobot(std::move(robot));
}

void SurfaceCantCalibrationWindowController::observeRobotReadiness() {
    calibration_->observeRobotReadiness();
}

void SurfaceCantCalibrationWindowController::setElectronics(std::shared_ptr<Electronics> electronics) {
    calibration_->setElectronics(std::move(electronics));
}

void SurfaceCantCalibrationWindowController::setRecalibrationOperationForSurfaceFinding(
    std::function<void()> operation) {
    calibration_->setRecalibrationOperationForSurfaceFinding(std::move(operation));
}

void SurfaceCantCalibrationWindowController::setErrorHandler(ErrorHandler handler) {
    calibration_->setErrorHandler(std::move(handler));
}

void SurfaceCantCalibrationWindowController::setDispenserConnected(bool connected) {
    const bool changed = connected != calibration_->dispenserConnected();
    calibration_->setDispenserConnected(connected);
    if (changed) {
        emit dispenserConnectedChanged(connected);
    }
}

// ---- The window -------------------------------------------------------------------------------

QWidget* SurfaceCantCalibrationWindowController::makeWindow() {
    auto* window = new QWidget;
    window->setObjectName(windowNibName);
    window->setWindowTitle("Surface Cant Calibration");
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(manualControlsLeft, 10, manualControlsLeft, 0);
    layout->setSpacing(0);

    auto* graphs = new QWidget(window);
    auto* graphGrid = new QGridLayout(graphs);
    graphGrid->setContentsMargins(0, 0, 0, 0);
    graphForXSlope_ = new SurfaceCantGraph(graphs);
    graphForXSlope_->setObjectName("graphViewForXSlope");
    graphForYSlope_ = new SurfaceCantGraph(graphs);
    graphForYSlope_->setObjectName("graphViewForYSlope");
    for (SurfaceCantGraph* graph : {graphForXSlope_, graphForYSlope_}) {
        graph->setMinimumSize(440, 340);
    }
    labelForXSlope_ = new QLabel(graphs);
    labelForXSlope_->setObjectName("labelForXSlope");
    labelForYSlope_ = new QLabel(graphs);
    labelForYSlope_->setObjectName("labelForYSlope");
    graphGrid->addWidget(graphForXSlope_, 0, 0);
    graphGrid->addWidget(graphForYSlope_, 0, 1);
    graphGrid->addWidget(labelForXSlope_, 1, 0, Qt::AlignHCenter);
    graphGrid->addWidget(labelForYSlope_, 1, 1, Qt::AlignHCenter);
    layout->addWidget(graphs, 1);

    // The bottom strip keeps its height; the manual panel opens above it.
    auto* bottom = new QWidget(window);
    bottom->setFixedHeight(manualControlsBottom);
    auto* controls = new QHBoxLayout(bottom);
    controls->setContentsMargins(0, 0, 0, 0);
    calibrateButton_ = makeButton(SurfaceCantCalibration::calibrateTitle, "calibrateButton", bottom);
    connect(calibrateButton_, &QPushButton::clicked, this,
            &SurfaceCantCalibrationWindowController::startOrStopSurfaceCantCalibration);
    SurfaceCantCalibration& calibration = *calibration_;
    distanceInXField_ = new NumberField([&calibration] { return calibration.distanceToCalibrateInX(); },
                                        [&calibration](double value) {
                                            calibration.setDistanceToCalibrateInX(value);
                                            return calibration.distanceToCalibrateInX() == value;
                                        },
                                        bottom);
    distanceInXField_->setObjectName("distanceToCalibrateInX");
    distanceInYField_ = new NumberField([&calibration] { return calibration.distanceToCalibrateInY(); },
                                        [&calibration](double value) {
                                            calibration.setDistanceToCalibrateInY(value);
                                            return calibration.distanceToCalibrateInY() == value;
                                        },
                                        bottom);
    distanceInYField_->setObjectName("distanceToCalibrateInY");
    manualControlsButton_ = makeButton("Manual calibration…", "showOrHideManualControls", bottom);
    connect(manualControlsButton_, &QPushButton::clicked, this,
            &SurfaceCantCalibrationWindowController::showOrHideManualControls);
    controls->addWidget(calibrateButton_);
    controls->addSpacing(12);
    controls->addWidget(new QLabel("Distance in X (µm)", bottom));
    controls->addWidget(distanceInXField_);
    controls->addWidget(new QLabel("Distance in Y (µm)", bottom));
    controls->addWidget(distanceInYField_);
    controls->addStretch(1);
    controls->addWidget(manualControlsButton_);
    layout->addWidget(bottom);

    manualControlsView_ = makeManualControlsView();
    manualControlsView_->setParent(window);
    manualControlsView_->hide();

    window->adjustSize();
    window->setFixedSize(window->sizeHint());
    return window;
}

QWidget* SurfaceCantCalibrationWindowController::makeManualControlsView() {
    auto* panel = new QWidget;
    panel->setObjectName("manualControlsView");
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 8, 0, 8);
    for (const ManualCalibrationPoint point : manualPoints) {
        const int row = static_cast<int>(slot(point));
        auto* button = makeButton(manualButtonTitle(point), manualObjectName(point, true), panel);
        connect(button, &QPushButton::clicked, this, [this, button] { setManualPosition(button); });
        auto* label = new QLabel(panel);
        label->setObjectName(manualObjectName(point, false));
        label->setMinimumWidth(220);
        manualCalibrationButtons_[slot(point)] = button;
        manualCoordinateLabels_[slot(point)] = label;
        grid->addWidget(button, row, 0);
        grid->addWidget(label, row, 1);
    }
    useManualPointsButton_ = makeButton("Use manual points", "useManualCalibrationPoints", panel);
    connect(useManualPointsButton_, &QPushButton::clicked, this,
            &SurfaceCantCalibrationWindowController::useManualCalibrationPoints);
    clearManualPointsButton_ = makeButton("Clear manual points", "clearManualCalibration", panel);
    connect(clearManualPointsButton_, &QPushButton::clicked, this,
            &SurfaceCantCalibrationWindowController::clearManualCalibration);
    grid->addWidget(useManualPointsButton_, 3, 0);
    grid->addWidget(clearManualPointsButton_, 3, 1, Qt::AlignLeft);
    panel->setFixedSize(panel->sizeHint());
    return panel;
}

void SurfaceCantCalibrationWindowController::windowDidLoad() {
    calibration_->updateCalibratedSlopes();
    for (const ManualCalibrationPoint point : manualPoints) {
        manualPointChanged(point);
    }
    updatePlotSpaceBounds();
    reloadGraph(SurfaceCantAxis::x);
    reloadGraph(SurfaceCantAxis::y);
    calibrationStateChanged();
}

QPushButton* SurfaceCantCalibrationWindowController::manualCalibrationButton(ManualCalibrationPoint point) const {
    return manualCalibrationButtons_[slot(point)];
}

QLabel* SurfaceCantCalibrationWindowController::manualCoordinateLabel(ManualCalibrationPoint point) const {
    return manualCoordinateLabels_[slot(point)];
}

void SurfaceCantCalibrationWindowController::closeWindow() {
    if (isWindowLoaded()) {
        window()->close();
    }
}

// ---- Actions ----------------------------------------------------------------------------------

void SurfaceCantCalibrationWindowController::startOrStopSurfaceCantCalibration() {
    // A distance being typed counts before the run reads it, whether or not
    // the field has lost the keyboard focus yet.
    if (isWindowLoaded()) {
        for (NumberField* field : {distanceInXField_, distanceInYField_}) {
            if (field->isModified()) {
                emit field->editingFinished();
            }
        }
        if (QWidget* focused = window()->focusWidget()) {
            focused->clearFocus();
        }
    }
    calibration_->startOrStopSurfaceCantCalibration();
}

void SurfaceCantCalibrationWindowController::showOrHideManualControls() {
    QWidget* window = this->window();
    auto* layout = static_cast<QVBoxLayout*>(window->layout());
    const int panelHeight = manualControlsView_->height();
    const QSize size = window->size();
    // The top edge stays: the window grows or shrinks at its bottom.
    if (manualControlViewVisible_) {
        layout->removeWidget(manualControlsView_);
        manualControlsView_->hide();
        window->setFixedSize(size.width(), size.height() - panelHeight);
    } else {
        window->setFixedSize(size.width(), size.height() + panelHeight);
        layout->insertWidget(1, manualControlsView_, 0, Qt::AlignLeft);
        manualControlsView_->show();
    }
    layout->activate();
    manualControlViewVisible_ = !manualControlViewVisible_;
}

void SurfaceCantCalibrationWindowController::setManualPosition(QObject* sender) {
    for (const ManualCalibrationPoint point : manualPoints) {
        if (sender != nullptr && sender == manualCalibrationButtons_[slot(point)]) {
            calibration_->setManualPosition(point);
            return;
        }
    }
    Diagnostics::stopProgram("Received a message to setManualPosition from a non-standard button");
}

void SurfaceCantCalibrationWindowController::useManualCalibrationPoints() {
    calibration_->useManualCalibrationPoints();
}

void SurfaceCantCalibrationWindowController::clearManualCalibration() {
    calibration_->clearManualCalibration();
}

// ---- What the calibration shows ---------------------------------------------------------------

void SurfaceCantCalibrationWindowController::updatePlotSpaceBounds() {
    if (!isWindowLoaded()) {
        return;
    }
    graphForXSlope_->setBounds(surfaceCantGraphBounds(calibration_->distanceToCalibrateInX()));
    graphForYSlope_->setBounds(surfaceCantGraphBounds(calibration_->distanceToCalibrateInY()));
}

void SurfaceCantCalibrationWindowController::reloadGraph(SurfaceCantAxis axis) {
    if (!isWindowLoaded()) {
        return;
    }
    const bool alongX = axis == SurfaceCantAxis::x;
    const auto& points = alongX ? calibration_->calibratedPointsForX() : calibration_->calibratedPointsForY();
    const auto& line = alongX ? calibration_->slopeLinePointsForX() : calibration_->slopeLinePointsForY();
    SurfaceCantGraph* graph = alongX ? graphForXSlope_ : graphForYSlope_;
    if (points.empty()) {
        graph->setValues({}, {});
        return;
    }
    graph->setValues(surfaceCantGraphPoints(points, points.front(), axis),
                     surfaceCantGraphPoints(line, points.front(), axis));
}

void SurfaceCantCalibrationWindowController::slopesChanged() {
    if (!isWindowLoaded()) {
        return;
    }
    const SurfaceCant cant = calibration_->surfaceCant();
    labelForXSlope_->setText(QString::fromStdString(xSlopeLabelText(cant.xSlope)));
    labelForYSlope_->setText(QString::fromStdString(ySlopeLabelText(cant.ySlope)));
}

void SurfaceCantCalibrationWindowController::manualPointChanged(ManualCalibrationPoint point) {
    if (isWindowLoaded()) {
        manualCoordinateLabels_[slot(point)]->setText(QString::fromStdString(calibration_->manualPointText(point)));
    }
    const bool allSet = calibration_->areAllManualPointsSet();
    if (allSet != lastAreAllManualPointsSet_) {
        lastAreAllManualPointsSet_ = allSet;
        emit areAllManualPointsSetChanged(allSet);
    }
}

void SurfaceCantCalibrationWindowController::calibrationStateChanged() {
    const bool ready = calibration_->robotReadyToMove();
    if (ready != lastRobotReadyToMove_) {
        lastRobotReadyToMove_ = ready;
        emit robotReadyToMoveChanged(ready);
    }
    if (!isWindowLoaded()) {
        return;
    }
    calibrateButton_->setText(QString::fromStdString(calibration_->calibrateButtonTitle()));
    calibrateButton_->setEnabled(calibration_->canStartOrStop());
    const bool canSetPoints = calibration_->canSetManualPosition();
    for (const auto& button : manualCalibrationButtons_) {
        button->setEnabled(canSetPoints);
    }
    useManualPointsButton_->setEnabled(calibration_->canUseManualCalibrationPoints());
}

} // namespace Dotfield
