#pragma once
// The operator's hand control of the positioner, the centre of the main
// window: twelve jog buttons that move it by a small or a large step back,
// forward, left, right, up or down, its current position, Home, Safe height,
// Find surface and Abort, and the saved positions in a side panel whose go-to
// this window carries out.
//
// The window never talks to the instrument itself: every motion is one
// operation queued on the robot (ManualRobotOperations.hpp), every failure goes
// to the owner's error handler. The owner creates it with the settings store,
// then hands it the robot, the electronics, the error handler, the surface
// finding's recalibration operation and the window-closing operation, and calls
// registerRobotCallbacks() before the robot connects.
//
// Enabling: a jog button exactly when there is a robot, it is ready to move and
// the button's target lies within its travel; Home and Safe height while it is
// ready (Safe height also needs a safe pickup height); Find surface while
// canFindSurface holds and the electronics and the recalibration operation are
// there; Abort whenever there is a robot.
//
// Threads: main thread. The robot's position observer, which this window takes
// over, may be called on the robot's queue; it moves its work to the main thread.

#include <array>
#include <exception>
#include <functional>
#include <memory>

#include <QWidget>

#include "Dotfield/Application/ManualControls/JogTable.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

class QLineEdit;
class QPushButton;

namespace Dotfield {

class Electronics;
class Robot;
class SavedPositionsController;
class UserDefaults;

class ManualControlsWindowController final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool robotReadyToMove READ robotReadyToMove WRITE setRobotReadyToMove NOTIFY robotReadyToMoveChanged)
    Q_PROPERTY(bool dispenserConnected READ dispenserConnected WRITE setDispenserConnected NOTIFY
                   dispenserConnectedChanged)
    Q_PROPERTY(bool canFindSurface READ canFindSurface WRITE setCanFindSurface NOTIFY canFindSurfaceChanged)
    Q_PROPERTY(double smallStepSize READ smallStepSize WRITE setSmallStepSize NOTIFY smallStepSizeChanged)
    Q_PROPERTY(double largeStepSize READ largeStepSize WRITE setLargeStepSize NOTIFY largeStepSizeChanged)

  public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    static constexpr const char* windowNibName = "ManualControlsWindowController";
    static constexpr const char* savedPositionsKey = "savedPositions";

    // Reads "smallStepSize" and "largeStepSize" (100.0 and 1000.0 µm when missing).
    explicit ManualControlsWindowController(std::shared_ptr<UserDefaults> userDefaults, QWidget* parent = nullptr);
    ~ManualControlsWindowController() override;

    // ---- Collaborators ------------------------------------------------------------

    const std::shared_ptr<UserDefaults>& userDefaults() const { return userDefaults_; }
    const std::shared_ptr<Robot>& robot() const { return robot_; }
    void setRobot(std::shared_ptr<Robot> robot);
    void setElectronics(std::shared_ptr<Electronics> electronics);
    void setErrorHandler(ErrorHandler handler);
    void setRecalibrationOperationForSurfaceFinding(std::function<void()> operation);
    void setWindowClosingOperation(std::function<void()> operation);

    // Shows the robot's position, takes over its position observer, hands it to
    // the saved positions and follows its busy state. Any thread.
    void registerRobotCallbacks();

    // ---- Observable state ----------------------------------------------------------

    bool robotReadyToMove() const { return robotReadyToMove_; }
    void setRobotReadyToMove(bool ready);
    bool dispenserConnected() const { return dispenserConnected_; }
    void setDispenserConnected(bool connected);
    bool canFindSurface() const { return canFindSurface_; }
    void setCanFindSurface(bool canFindSurface);
    double smallStepSize() const { return smallStepSize_; }
    // A step that is not a positive finite number is ignored; the field shows
    // the kept value.
    void setSmallStepSize(double step);
    double largeStepSize() const { return largeStepSize_; }
    void setLargeStepSize(double step);

    // ---- Actions ----------------------------------------------------------------------

    // A direct move by the button's displacement from the current position.
    void takeManualMovementStep(JogButton button);
    // Stops the move under way. Pressed while the robot is idle it does nothing,
    // so no stale abort stops the next move.
    void abortMovement();
    // Homes the positioner when it needs homing, else travels to its home.
    void homeIfNeeded();
    void home() { homeIfNeeded(); }
    void moveToSafePickupHeight();
    void findSurface();
    // Runs the window-closing operation, once.
    void windowWillClose();

    // ---- Views ------------------------------------------------------------------------

    QPushButton* jogButton(JogButton button) const;
    QLineEdit* coordinateDisplay() const { return coordinateDisplay_; }
    QLineEdit* smallStepSizeField() const { return smallStepSizeField_; }
    QLineEdit* largeStepSizeField() const { return largeStepSizeField_; }
    QPushButton* homeButton() const { return homeButton_; }
    QPushButton* safeHeightButton() const { return safeHeightButton_; }
    QPushButton* findSurfaceButton() const { return findSurfaceButton_; }
    QPushButton* abortButton() const { return abortButton_; }
    // The side panel that holds the saved positions; opened once the window shows.
    QWidget* savedPositionsPanel() const { return savedPositionsPanel_; }
    SavedPositionsController* savedPositionsController() const { return savedPositionsController_; }

  signals:
    void robotReadyToMoveChanged(bool ready);
    void dispenserConnectedChanged(bool connected);
    void canFindSurfaceChanged(bool canFindSurface);
    void smallStepSizeChanged(double step);
    void largeStepSizeChanged(double step);

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void updateMovementButtonsForStepSize(JogStepSize size);
    void updateCommandButtons();
    void showCoordinate(const VeltranePatterns::Coordinate& coordinate);
    void stepSizeEntered(JogStepSize size);
    void setStepSize(JogStepSize size, double step);
    void moveToNewPosition(const VeltranePatterns::Coordinate& coordinate);

    const std::shared_ptr<UserDefaults> userDefaults_;
    std::shared_ptr<Robot> robot_;
    std::shared_ptr<Electronics> electronics_;
    ErrorHandler errorHandler_;
    std::function<void()> recalibrationOperationForSurfaceFinding_;
    std::function<void()> windowClosingOperation_;
    bool windowClosed_ = false;
    bool shownOnce_ = false;

    bool robotReadyToMove_ = false;
    bool dispenserConnected_ = false;
    bool canFindSurface_ = false;
    double smallStepSize_;
    double largeStepSize_;

    std::array<QPushButton*, 12> jogButtons_{};
    QLineEdit* coordinateDisplay_ = nullptr;
    QLineEdit* smallStepSizeField_ = nullptr;
    QLineEdit* largeStepSizeField_ = nullptr;
    QPushButton* homeButton_ = nullptr;
    QPushButton* safeHeightButton_ = nullptr;
    QPushButton* findSurfaceButton_ = nullptr;
    QPushButton* abortButton_ = nullptr;
    QWidget* savedPositionsPanel_ = nullptr;
    SavedPositionsController* savedPositionsController_ = nullptr;
};

} // namespace Dotfield
