#include "Dotfield/Calibration/UI/AutomatedTestingWindowController.hpp"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "Dotfield/Calibration/MotionTest/StageMovementTest.hpp"
#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

ErrorAlertContent confirmationAlert() {
    return {.defaultButtonTitle = "OK",
            .alternateButtonTitle = "Cancel",
            .messageText = "Beginning system test.",
            .informativeText = "This will begin a rapid movement test of all stages. Please clear the deck, remove "
                               "dispensers from the system, and remove all obstructions before beginning. The "
                               "system will repeatedly move at a high rate of speed.",
            .style = AlertStyle::critical};
}

ErrorAlertContent outsideTravelAlert() {
    return {.defaultButtonTitle = "OK",
            .alternateButtonTitle = std::nullopt,
            .messageText = "The motion test cannot run on this positioner.",
            .informativeText = "The positioner's travel limits do not hold the positions of the test, so no "
                               "move was made.",
            .style = AlertStyle::critical};
}

bool isOutsideTravel(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const StageMovementTestOutsideTravel&) {
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

AutomatedTestingWindowController::AutomatedTestingWindowController(QWidget* parent) : QWidget(parent) {
    setObjectName(windowNibName);
    setWindowTitle("Automated Motion Test");
    buildControls();
    updateControls();
}

AutomatedTestingWindowController::~AutomatedTestingWindowController() { state_->cancel.store(true); }

void AutomatedTestingWindowController::buildControls() {
    auto* description = new QLabel(
        "Runs the positioner repeatedly between the corners of its travel, with plunges to the bottom of "
        "the Z range, until cancelled.",
        this);
    description->setWordWrap(true);
    cycleLabel_ = new QLabel(this);
    cycleLabel_->setObjectName("cycleLabel");
    startButton_ = new QPushButton("Start test", this);
    startButton_->setObjectName("startPerformanceTestingLoop");
    cancelButton_ = new QPushButton("Cancel test", this);
    cancelButton_->setObjectName("cancelPerformanceTestingLoop");
    connect(startButton_, &QPushButton::clicked, this, [this] { startPerformanceTestingLoop(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancelPerformanceTestingLoop(); });

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(startButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(description);
    layout->addWidget(cycleLabel_);
    layout->addLayout(buttons);
    setMinimumWidth(380);
}

void AutomatedTestingWindowController::updateControls() {
    const bool running = isTestRunning();
    startButton_->setEnabled(!running);
    cancelButton_->setEnabled(running);
    cycleLabel_->setText(QString("Cycles completed: %1").arg(completedCycles()));
}

void AutomatedTestingWindowController::startPerformanceTestingLoop() {
    presentError({.content = confirmationAlert(),
                  .defaultAction = [this] { runPerformanceTest(); },
                  .alternateAction = [this] { closeWindow(); }});
}

void AutomatedTestingWindowController::cancelPerformanceTestingLoop() { state_->cancel.store(true); }

void AutomatedTestingWindowController::runPerformanceTest() {
    if (!robot_ || isTestRunning()) {
        Diagnostics::printWithContext("The motion test did not start: no robot, or a test runs");
        return;
    }
    state_->cancel.store(false);
    state_->cycles.store(0);
    state_->running.store(true);
    updateControls();
    robot_->runOnRoboticsQueue([robot = robot_, state = state_, window = QPointer(this)] {
        std::exception_ptr error;
        try {
            performStageMovementTestLoop(*robot, state->cancel, [state, window](std::uint64_t cycles) {
                state->cycles.store(cycles);
                MainQueue::main().async([window] {
                    if (window) {
                        window->updateControls();
                    }
                });
            });
        } catch (...) {
            error = std::current_exception();
        }
        state->running.store(false);
        MainQueue::main().async([window, error] {
            if (window) {
                window->testEnded(error);
            }
        });
    });
}

void AutomatedTestingWindowController::testEnded(std::exception_ptr error) {
    updateControls();
    if (!error) {
        closeWindow();
    } else if (isOutsideTravel(error)) {
        presentError({.content = outsideTravelAlert(), .defaultAction = {}, .alternateAction = {}});
    } else if (errorHandler_) {
        errorHandler_(error);
    }
}

void AutomatedTestingWindowController::closeWindow() { close(); }

void AutomatedTestingWindowController::closeEvent(QCloseEvent* event) {
    // A test left running would hold the robot's queue for good.
    cancelPerformanceTestingLoop();
    QWidget::closeEvent(event);
}

} // namespace Dotfield
