#include "Dotfield/Application/UI/ManualControlsWindowController.hpp"

#include <utility>
#include <vector>

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "Dotfield/Application/ManualControls/ManualRobotOperations.hpp"
#include "Dotfield/Application/ManualControls/SafePickupHeight.hpp"
#include "Dotfield/Application/ManualControls/StepSizes.hpp"
#include "Dotfield/Application/SavedPositionSettings.hpp"
#include "Dotfield/Application/UI/SavedPositionsController.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

namespace {

using VeltranePatterns::Coordinate;

// The saved-positions panel opens this long after the window first shows.
constexpr int savedPositionsPanelDelayMilliseconds = 20;

// Runs the work on the main thread: at once when already there, else later.
void onMainThread(std::function<void()> work) {
    if (MainQueue::main().isCurrent()) {
        work();
    } else {
        MainQueue::main().async(std::move(work));
    }
}

struct JogCaption {
    JogButton button;
    const char* text;
    int row;
    int column;
};

// The X/Y pad (forward away from the operator, at the top) and the Z column.
constexpr std::array<JogCaption, 12> jogCaptions{{
    {JogButton::forwardLarge, "Forward L", 0, 2},
    {JogButton::forwardSmall, "Forward S", 1, 2},
    {JogButton::leftLarge, "Left L", 2, 0},
    {JogButton::leftSmall, "Left S", 2, 1},
    {JogButton::rightSmall, "Right S", 2, 3},
    {JogButton::rightLarge, "Right L", 2, 4},
    {JogButton::backSmall, "Back S", 3, 2},
    {JogButton::backLarge, "Back L", 4, 2},
    {JogButton::upLarge, "Up L", 0, 6},
    {JogButton::upSmall, "Up S", 1, 6},
    {JogButton::downSmall, "Down S", 3, 6},
    {JogButton::downLarge, "Down L", 4, 6},
}};

QPushButton* commandButton(const char* text, const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setEnabled(false);
    return button;
}

} // namespace

ManualControlsWindowController::ManualControlsWindowController(std::shared_ptr<UserDefaults> userDefaults,
                                                               QWidget* parent)
    : QWidget(parent), userDefaults_(std::move(userDefaults)),
      smallStepSize_(storedStepSize(*userDefaults_, smallStepSizeKey, defaultSmallStepSize)),
      largeStepSize_(storedStepSize(*userDefaults_, largeStepSizeKey, defaultLargeStepSize)) {
    setObjectName(windowNibName);
    buildControls();
    updateMovementButtonsForStepSize(JogStepSize::small);
    updateMovementButtonsForStepSize(JogStepSize::large);
    updateCommandButtons();
}

ManualControlsWindowController::~ManualControlsWindowController() = default;

void ManualControlsWindowController::buildControls() {
    auto* pad = new QGroupBox("Jog", this);
    auto* padLayout = new QGridLayout(pad);
    for (const JogCaption& caption : jogCaptions) {
        auto* button = new QPushButton(caption.text, pad);
        button->setObjectName(QString::fromUtf8(jogButtonName(caption.button).data(),
                                                static_cast<qsizetype>(jogButtonName(caption.button).size())));
        button->setEnabled(false);
        padLayout->addWidget(button, caption.row, caption.column);
        jogButtons_[static_cast<std::size_t>(caption.button)] = button;
        connect(button, &QPushButton::clicked, this, [this, jog = caption.button] { takeManualMovementStep(jog); });
    }
    padLayout->setColumnMinimumWidth(5, 16);

    auto* steps = new QGroupBox("Steps (µm)", this);
    auto* stepsLayout = new QGridLayout(steps);
    smallStepSizeField_ = new QLineEdit(QString::fromStdString(stepSizeText(smallStepSize_)), steps);
    smallStepSizeField_->setObjectName("smallStepSizeField");
    largeStepSizeField_ = new QLineEdit(QString::fromStdString(stepSizeText(largeStepSize_)), steps);
    largeStepSizeField_->setObjectName("largeStepSizeField");
    stepsLayout->addWidget(new QLabel("Small step", steps), 0, 0);
    stepsLayout->addWidget(smallStepSizeField_, 0, 1);
    stepsLayout->addWidget(new QLabel("Large step", steps), 1, 0);
    stepsLayout->addWidget(largeStepSizeField_, 1, 1);
    connect(smallStepSizeField_, &QLineEdit::editingFinished, this,
            [this] { stepSizeEntered(JogStepSize::small); });
    connect(largeStepSizeField_, &QLineEdit::editingFinished, this,
            [this] { stepSizeEntered(JogStepSize::large); });

    auto* position = new QGroupBox("Position (µm)", this);
    auto* positionLayout = new QVBoxLayout(position);
    coordinateDisplay_ = new QLineEdit(position);
    coordinateDisplay_->setObjectName("coordinateDisplay");
    coordinateDisplay_->setReadOnly(true);
    positionLayout->addWidget(coordinateDisplay_);

    homeButton_ = commandButton("Home", "homeButton", this);
    safeHeightButton_ = commandButton("Safe height", "safeHeightButton", this);
    findSurfaceButton_ = commandButton("Find surface", "findSurfaceButton", this);
    abortButton_ = commandButton("Abort", "abortButton", this);
    connect(homeButton_, &QPushButton::clicked, this, [this] { home(); });
    connect(safeHeightButton_, &QPushButton::clicked, this, [this] { moveToSafePickupHeight(); });
    connect(findSurfaceButton_, &QPushButton::clicked, this, [this] { findSurface(); });
    connect(abortButton_, &QPushButton::clicked, this, [this] { abortMovement(); });
    auto* commands = new QGridLayout();
    commands->addWidget(homeButton_, 0, 0);
    commands->addWidget(safeHeightButton_, 0, 1);
    commands->addWidget(findSurfaceButton_, 1, 0);
    commands->addWidget(abortButton_, 1, 1);

    auto* side = new QVBoxLayout();
    side->addWidget(position);
    side->addWidget(steps);
    side->addLayout(commands);
    side->addStretch(1);

    // The saved positions start from the stored list and move the robot over
    // the travel height.
    savedPositionsPanel_ = new QGroupBox("Saved positions", this);
    savedPositionsPanel_->setObjectName("savedPositionsPanel");
    savedPositionsController_ = new SavedPositionsController(savedPositionsPanel_);
    savedPositionsController_->setUserDefaults(userDefaults_);
    savedPositionsController_->setSavedPositions(storedSavedPositions(*userDefaults_, savedPositionsKey).value_or(
        std::vector<SavedPosition>{}));
    savedPositionsController_->setMoveToNewPositionCommand(
        [this](const Coordinate& coordinate) { moveToNewPosition(coordinate); });
    auto* savedPositionsLayout = new QVBoxLayout(savedPositionsPanel_);
    savedPositionsLayout->setContentsMargins(0, 0, 0, 0);
    savedPositionsLayout->addWidget(savedPositionsController_);
    savedPositionsPanel_->hide();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(pad);
    layout->addLayout(side);
    layout->addWidget(savedPositionsPanel_, 1);
}

// ---- Collaborators ------------------------------------------------------------------------

void ManualControlsWindowController::setRobot(std::shared_ptr<Robot> robot) {
    robot_ = std::move(robot);
    updateMovementButtonsForStepSize(JogStepSize::small);
    updateMovementButtonsForStepSize(JogStepSize::large);
    updateCommandButtons();
}

void ManualControlsWindowController::setElectronics(std::shared_ptr<Electronics> electronics) {
    electronics_ = std::move(electronics);
    updateCommandButtons();
}

void ManualControlsWindowController::setErrorHandler(ErrorHandler handler) {
    errorHandler_ = std::move(handler);
    savedPositionsController_->setErrorHandler(errorHandler_);
}

void ManualControlsWindowController::setRecalibrationOperationForSurfaceFinding(std::function<void()> operation) {
    recalibrationOperationForSurfaceFinding_ = std::move(operation);
    updateCommandButtons();
}

void ManualControlsWindowController::setWindowClosingOperation(std::function<void()> operation) {
    windowClosingOperation_ = std::move(operation);
}

void ManualControlsWindowController::registerRobotCallbacks() {
    const std::shared_ptr<Robot> robot = robot_;
    if (!robot) {
        return;
    }
    QPointer<ManualControlsWindowController> window(this);
    onMainThread([window, robot] {
        if (window) {
            window->showCoordinate(robot->currentCoordinate());
            window->savedPositionsController_->setRobot(robot);
        }
    });
    robot->setCoordinateUpdateObserver([window](const Coordinate& coordinate) {
        onMainThread([window, coordinate] {
            if (window) {
                window->updateMovementButtonsForStepSize(JogStepSize::small);
                window->updateMovementButtonsForStepSize(JogStepSize::large);
                window->showCoordinate(coordinate);
            }
        });
    });
    robot->addObserverForMovementCompletion([window](bool moving) {
        onMainThread([window, moving] {
            if (window) {
                window->setRobotReadyToMove(!moving);
            }
        });
    });
}

// ---- Observable state ------------------------------------------------------------------------

void ManualControlsWindowController::setRobotReadyToMove(bool ready) {
    const bool changed = robotReadyToMove_ != ready;
    robotReadyToMove_ = ready;
    updateMovementButtonsForStepSize(JogStepSize::small);
    updateMovementButtonsForStepSize(JogStepSize::large);
    setCanFindSurface(robotReadyToMove_ && dispenserConnected_);
    updateCommandButtons();
    if (changed) {
        emit robotReadyToMoveChanged(ready);
    }
}

void ManualControlsWindowController::setDispenserConnected(bool connected) {
    const bool changed = dispenserConnected_ != connected;
    dispenserConnected_ = connected;
    setCanFindSurface(robotReadyToMove_ && dispenserConnected_);
    if (changed) {
        emit dispenserConnectedChanged(connected);
    }
}

void ManualControlsWindowController::setCanFindSurface(bool canFindSurface) {
    const bool changed = canFindSurface_ != canFindSurface;
    canFindSurface_ = canFindSurface;
    updateCommandButtons();
    if (changed) {
        emit canFindSurfaceChanged(canFindSurface);
    }
}

void ManualControlsWindowController::setSmallStepSize(double step) {
    setStepSize(JogStepSize::small, step);
}

void ManualControlsWindowController::setLargeStepSize(double step) {
    setStepSize(JogStepSize::large, step);
}

void ManualControlsWindowController::setStepSize(JogStepSize size, double step) {
    const bool small = size == JogStepSize::small;
    double& kept = small ? smallStepSize_ : largeStepSize_;
    QLineEdit* field = small ? smallStepSizeField_ : largeStepSizeField_;
    const std::optional<double> accepted = acceptedStepSize(step);
    if (accepted) {
        kept = *accepted;
        updateMovementButtonsForStepSize(size);
        userDefaults_->setDouble(kept, small ? smallStepSizeKey : largeStepSizeKey);
    }
    field->setText(QString::fromStdString(stepSizeText(kept)));
    if (accepted) {
        if (small) {
            emit smallStepSizeChanged(kept);
        } else {
            emit largeStepSizeChanged(kept);
        }
    }
}

void ManualControlsWindowController::stepSizeEntered(JogStepSize size) {
    const bool small = size == JogStepSize::small;
    QLineEdit* field = small ? smallStepSizeField_ : largeStepSizeField_;
    const double kept = small ? smallStepSize_ : largeStepSize_;
    const std::optional<double> entered = acceptedStepSize(field->text().toStdString());
    if (!entered) {
        field->setText(QString::fromStdString(stepSizeText(kept)));
        return;
    }
    if (*entered != kept) {
        setStepSize(size, *entered);
    }
}

// ---- Enabling -------------------------------------------------------------------------------

void ManualControlsWindowController::updateMovementButtonsForStepSize(JogStepSize size) {
    const double step = size == JogStepSize::small ? smallStepSize_ : largeStepSize_;
    for (const JogButton button : jogButtonsOfSize(size)) {
        jogButton(button)->setEnabled(jogButtonEnabled(robot_.get(), robotReadyToMove_, button, step));
    }
}

void ManualControlsWindowController::updateCommandButtons() {
    const bool ready = robot_ && robotReadyToMove_;
    homeButton_->setEnabled(ready);
    safeHeightButton_->setEnabled(ready && robot_->safePickupHeight().has_value());
    findSurfaceButton_->setEnabled(robot_ && canFindSurface_ && electronics_ &&
                                   recalibrationOperationForSurfaceFinding_);
    abortButton_->setEnabled(robot_ != nullptr);
}

QPushButton* ManualControlsWindowController::jogButton(JogButton button) const {
    return jogButtons_[static_cast<std::size_t>(button)];
}

void ManualControlsWindowController::showCoordinate(const Coordinate& coordinate) {
    coordinateDisplay_->setText(QString::fromStdString(coordinate.description()));
}

// ---- Actions -----------------------------------------------------------------------------------

void ManualControlsWindowController::takeManualMovementStep(JogButton button) {
    if (!robot_) {
        return;
    }
    const double step = jogStepSize(button) == JogStepSize::small ? smallStepSize_ : largeStepSize_;
    queueMove(robot_, robot_->currentCoordinate() + jogDisplacement(button, step), MoveRoute::direct,
              errorHandler_);
}

void ManualControlsWindowController::abortMovement() {
    if (robot_ && !robotReadyToMove_) {
        robot_->setMovementAborted(true);
    }
}

void ManualControlsWindowController::homeIfNeeded() {
    if (robot_) {
        queueHomeIfNeeded(robot_, errorHandler_);
    }
}

void ManualControlsWindowController::moveToSafePickupHeight() {
    if (!robot_) {
        return;
    }
    if (const std::optional<Coordinate> target = safePickupHeightTarget(*robot_)) {
        queueMove(robot_, *target, MoveRoute::direct, errorHandler_);
    }
}

void ManualControlsWindowController::findSurface() {
    if (robot_ && electronics_ && recalibrationOperationForSurfaceFinding_) {
        queueFindSurface(robot_, electronics_, recalibrationOperationForSurfaceFinding_, errorHandler_);
    }
}

void ManualControlsWindowController::moveToNewPosition(const Coordinate& coordinate) {
    if (robot_) {
        queueMove(robot_, coordinate, MoveRoute::viaTravelHeight, errorHandler_);
    }
}

// ---- Window -----------------------------------------------------------------------------------

void ManualControlsWindowController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownOnce_) {
        return;
    }
    shownOnce_ = true;
    // The window that closes is the top-level one this view sits in.
    window()->installEventFilter(this);
    QTimer::singleShot(savedPositionsPanelDelayMilliseconds, this, [this] { savedPositionsPanel_->show(); });
}

bool ManualControlsWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window() && event->type() == QEvent::Close) {
        windowWillClose();
    }
    return QWidget::eventFilter(watched, event);
}

void ManualControlsWindowController::windowWillClose() {
    if (windowClosed_) {
        return;
    }
    windowClosed_ = true;
    if (windowClosingOperation_) {
        windowClosingOperation_();
    }
}

} // namespace Dotfield
