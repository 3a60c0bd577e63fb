#include "Dotfield/Calibration/UI/RotationalCalibrationWindowController.hpp"

#include <utility>

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

using VeltranePatterns::Coordinate;

RotationalCalibrationWindowController::RotationalCalibrationWindowController(
    std::shared_ptr<UserDefaults> userDefaults, QWidget* parent)
    : QWidget(parent), userDefaults_(std::move(userDefaults)),
      points_(RotationalCalibrationPoints::read(*userDefaults_)) {
    setObjectName(windowNibName);
    setWindowTitle("Rotational Calibration");
    buildControls();
    updateUI();
    updateButtons();
}

RotationalCalibrationWindowController::~RotationalCalibrationWindowController() = default;

void RotationalCalibrationWindowController::buildControls() {
    const auto field = [this](const char* objectName) {
        auto* text = new QLineEdit(this);
        text->setObjectName(objectName);
        text->setReadOnly(true);
        text->setMinimumWidth(220);
        return text;
    };
    firstPointTextField_ = field("firstPointTextField");
    secondPointTextField_ = field("secondPointTextField");
    rotationAngleTextField_ = field("rotationAngleTextField");

    firstPointButton_ = new QPushButton("Use current position", this);
    firstPointButton_->setObjectName("useCurrentCoordinateForFirstPoint");
    secondPointButton_ = new QPushButton("Use current position", this);
    secondPointButton_->setObjectName("useCurrentCoordinateForSecondPoint");
    clearButton_ = new QPushButton("Clear points", this);
    clearButton_->setObjectName("clearCalibrationPoints");
    connect(firstPointButton_, &QPushButton::clicked, this, [this] { useCurrentCoordinateForFirstPoint(); });
    connect(secondPointButton_, &QPushButton::clicked, this, [this] { useCurrentCoordinateForSecondPoint(); });
    connect(clearButton_, &QPushButton::clicked, this, [this] { clearCalibrationPoints(); });

    const auto row = [this](QLineEdit* text, QPushButton* button) {
        auto* line = new QHBoxLayout();
        line->addWidget(text, 1);
        line->addWidget(button);
        return line;
    };
    auto* form = new QFormLayout();
    form->addRow("First point (µm)", row(firstPointTextField_, firstPointButton_));
    form->addRow("Second point (µm)", row(secondPointTextField_, secondPointButton_));
    form->addRow("Rotation", rotationAngleTextField_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto* clearLine = new QHBoxLayout();
    clearLine->addStretch(1);
    clearLine->addWidget(clearButton_);
    layout->addLayout(clearLine);
}

void RotationalCalibrationWindowController::setRobot(std::shared_ptr<Robot> robot) {
    robot_ = std::move(robot);
    if (robot_) {
        // The robot tells its movement observers on the main thread.
        robot_->addObserverForMovementCompletion([window = QPointer(this)](bool moving) {
            if (window) {
                window->setRobotReadyToMove(!moving);
            }
        });
    }
    updateButtons();
}

void RotationalCalibrationWindowController::setErrorHandler(ErrorHandler handler) {
    errorHandler_ = std::move(handler);
}

void RotationalCalibrationWindowController::setRobotReadyToMove(bool ready) {
    const bool changed = robotReadyToMove_ != ready;
    robotReadyToMove_ = ready;
    updateButtons();
    if (changed) {
        emit robotReadyToMoveChanged(ready);
    }
}

void RotationalCalibrationWindowController::updateButtons() {
    const bool enabled = robot_ && robotReadyToMove_;
    firstPointButton_->setEnabled(enabled);
    secondPointButton_->setEnabled(enabled);
}

void RotationalCalibrationWindowController::useCurrentCoordinateForFirstPoint() {
    takePoint(&RotationalCalibrationPoints::first, rotationalCalibrationFirstPointKey);
}

void RotationalCalibrationWindowController::useCurrentCoordinateForSecondPoint() {
    takePoint(&RotationalCalibrationPoints::second, rotationalCalibrationSecondPointKey);
}

void RotationalCalibrationWindowController::takePoint(std::optional<Coordinate> RotationalCalibrationPoints::*point,
                                                      const char* key) {
    if (!robot_) {
        return;
    }
    QPointer<RotationalCalibrationWindowController> window(this);
    robot_->readCurrentPositionAsynchronously(
        [window, point, key](const std::optional<Coordinate>& position, std::exception_ptr error) {
            if (!window) {
                return;
            }
            if (error) {
                if (window->errorHandler_) {
                    window->errorHandler_(error);
                } else {
                    Diagnostics::printWithContext("Reading the position for the rotational calibration failed");
                }
                return;
            }
            if (!position) {
                return;
            }
            window->points_.*point = *position;
            window->userDefaults_->setCoordinate(*position, key);
            window->updateUI();
        });
}

void RotationalCalibrationWindowController::clearCalibrationPoints() {
    points_.first.reset();
    userDefaults_->setCoordinate(std::nullopt, rotationalCalibrationFirstPointKey);
    points_.second.reset();
    userDefaults_->setCoordinate(std::nullopt, rotationalCalibrationSecondPointKey);
    updateUI();
}

void RotationalCalibrationWindowController::updateUI() {
    firstPointTextField_->setText(QString::fromStdString(rotationalCalibrationPointText(points_.first)));
    secondPointTextField_->setText(QString::fromStdString(rotationalCalibrationPointText(points_.second)));
    rotationAngleTextField_->setText(QString::fromStdString(calibratedAngleText(points_.rotation())));
}

} // namespace Dotfield
