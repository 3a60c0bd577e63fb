#pragma once
// The rotational calibration window: the operator takes the positioner's
// position at two points of a straight feature that should run along the x
// axis; the window shows both points and the angle of the line through them,
// which is the substrate's rotation. The points are kept in the settings store
// ("rotationalCalibrationFirstPoint", "rotationalCalibrationSecondPoint") and
// survive a relaunch; the application reads them back for each new pattern.
//
// Taking a point reads the position on the robot's queue, after the moves
// queued before it, while the window goes on serving events; the point is
// stored, written and shown when the reading arrives. A failed reading goes to
// the error handler and the point keeps its value. The two take buttons follow
// the robot's readiness; without a robot they stay disabled.
//
// Threads: main thread.

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QWidget>

#include "Dotfield/Calibration/RotationalCalibration/RotationalCalibrationPoints.hpp"

class QLineEdit;
class QPushButton;

namespace Dotfield {

class Robot;
class UserDefaults;

class RotationalCalibrationWindowController final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool robotReadyToMove READ robotReadyToMove WRITE setRobotReadyToMove NOTIFY robotReadyToMoveChanged)

  public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    static constexpr const char* windowNibName = "RotationalCalibrationWindowController";

    // Reads both points from the settings store.
    explicit RotationalCalibrationWindowController(std::shared_ptr<UserDefaults> userDefaults,
                                                   QWidget* parent = nullptr);
    ~RotationalCalibrationWindowController() override;

    // ---- Collaborators --------------------------------------------------------------

    const std::shared_ptr<Robot>& robot() const { return robot_; }
    // Follows the robot's busy state from now on (ready once it reports idle).
    void setRobot(std::shared_ptr<Robot> robot);
    void setErrorHandler(ErrorHandler handler);

    // ---- State ---------------------------------------------------------------------------

    const RotationalCalibrationPoints& points() const { return points_; }
    const std::optional<VeltranePatterns::Coordinate>& firstPointOnLine() const { return points_.first; }
    const std::optional<VeltranePatterns::Coordinate>& secondPointOnLine() const { return points_.second; }
    bool robotReadyToMove() const { return robotReadyToMove_; }
    void setRobotReadyToMove(bool ready);

    // ---- Actions -------------------------------------------------------------------------

    void useCurrentCoordinateForFirstPoint();
    void useCurrentCoordinateForSecondPoint();
    // Forgets both points and removes their keys.
    void clearCalibrationPoints();
    // Shows both points ("(0, 0, 0)" for a missing one) and the angle.
    void updateUI();

    // ---- Views ---------------------------------------------------------------------------

    QLineEdit* firstPointTextField() const { return firstPointTextField_; }
    QLineEdit* secondPointTextField() const { return secondPointTextField_; }
    QLineEdit* rotationAngleTextField() const { return rotationAngleTextField_; }
    QPushButton* firstPointButton() const { return firstPointButton_; }
    QPushButton* secondPointButton() const { return secondPointButton_; }
    QPushButton* clearButton() const { return clearButton_; }

  signals:
    void robotReadyToMoveChanged(bool ready);

  private:
    void buildControls();
    void updateButtons();
    // Reads the position on the robot's queue and keeps it under the key.
    void takePoint(std::optional<VeltranePatterns::Coordinate> RotationalCalibrationPoints::*point,
                   const char* key);

    const std::shared_ptr<UserDefaults> userDefaults_;
    std::shared_ptr<Robot> robot_;
    ErrorHandler errorHandler_;
    RotationalCalibrationPoints points_;
    bool robotReadyToMove_ = false;

    QLineEdit* firstPointTextField_ = nullptr;
    QLineEdit* secondPointTextField_ = nullptr;
    QLineEdit* rotationAngleTextField_ = nullptr;
    QPushButton* firstPointButton_ = nullptr;
    QPushButton* secondPointButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
};

} // namespace Dotfield
