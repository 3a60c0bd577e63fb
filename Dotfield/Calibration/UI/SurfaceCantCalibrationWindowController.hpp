#pragma once
// The surface-cant calibration window: the Calibrate/Cancel button, the
// lengths of the two measurement lines, the two slopes, a graph per axis, and
// a panel for the manual three-point calibration that slides in and out at the
// window's bottom. The calibration itself (SurfaceCantCalibration) lives with
// the controller from its creation, so the shell can read the cant before the
// window was ever shown; the window is made on first use.
//
// Enabling: the button while a run is under way (to cancel it), otherwise when
// the robot is ready and a dispenser is connected; the three manual-point
// buttons when the robot is ready and no run is under way; "Use manual
// points" when all three points are recorded.
//
// Threads: main thread.

#include <array>
#include <exception>
#include <functional>
#include <memory>

#include "Dotfield/Platform/Qt/Widgets/DeviceWindowController.hpp"
#include "Dotfield/Calibration/SurfaceCant/SurfaceCantCalibration.hpp"
#include "Dotfield/Calibration/SurfaceCant/SurfaceCantCalibrationDisplay.hpp"

class QLabel;
class QPushButton;
class QWidget;

namespace Dotfield {

class Electronics;
class NumberField;
class Robot;
class SurfaceCantGraph;
class UserDefaults;

class SurfaceCantCalibrationWindowController final : public DeviceWindowController,
                                                     private SurfaceCantCalibrationDisplay {
    Q_OBJECT
    Q_PROPERTY(bool robotReadyToMove READ robotReadyToMove NOTIFY robotReadyToMoveChanged)
    Q_PROPERTY(bool dispenserConnected READ dispenserConnected WRITE setDispenserConnected NOTIFY
                   dispenserConnectedChanged)
    Q_PROPERTY(bool areAllManualPointsSet READ areAllManualPointsSet NOTIFY areAllManualPointsSetChanged)

  public:
    using ErrorHandler = SurfaceCantCalibration::ErrorHandler;

    static constexpr const char* windowNibName = "SurfaceCantCalibrationWindowController";
    // The manual panel's lower-left corner lies this far from the window's
    // lower-left corner.
    static constexpr int manualControlsLeft = 20;
    static constexpr int manualControlsBottom = 85;

    explicit SurfaceCantCalibrationWindowController(std::shared_ptr<UserDefaults> userDefaults,
                                                    QObject* parent = nullptr);
    ~SurfaceCantCalibrationWindowController() override;

    // ---- Collaborators --------------------------------------------------------------

    SurfaceCantCalibration& calibration() { return *calibration_; }
    void setRobot(std::shared_ptr<Robot> robot);
    void observeRobotReadiness();
    void setElectronics(std::shared_ptr<Electronics> electronics);
    void setRecalibrationOperationForSurfaceFinding(std::function<void()> operation);
    void setErrorHandler(ErrorHandler handler);

    // ---- State ---------------------------------------------------------------------------

    bool robotReadyToMove() const { return calibration_->robotReadyToMove(); }
    bool dispenserConnected() const { return calibration_->dispenserConnected(); }
    void setDispenserConnected(bool connected);
    bool areAllManualPointsSet() const { return calibration_->areAllManualPointsSet(); }
    bool isManualControlViewVisible() const { return manualControlViewVisible_; }
    SurfaceCant surfaceCant() { return calibration_->surfaceCant(); }

    // Closes the window when it was ever made.
    void closeWindow();

    // ---- Actions -------------------------------------------------------------------------

    // Commits a field being edited, then starts a run or asks it to stop.
    void startOrStopSurfaceCantCalibration();
    void showOrHideManualControls();
    // Which point the sender records: one of the three manual-point buttons,
    // anything else stops the program.
    void setManualPosition(QObject* sender);
    void useManualCalibrationPoints();
    void clearManualCalibration();

    // ---- Views (after window()) ------------------------------------------------------------

    QPushButton* calibrateButton() const { return calibrateButton_; }
    NumberField* distanceToCalibrateInXField() const { return distanceInXField_; }
    NumberField* distanceToCalibrateInYField() const { return distanceInYField_; }
    QLabel* labelForXSlope() const { return labelForXSlope_; }
    QLabel* labelForYSlope() const { return labelForYSlope_; }
    SurfaceCantGraph* graphForXSlope() const { return graphForXSlope_; }
    SurfaceCantGraph* graphForYSlope() const { return graphForYSlope_; }
    QPushButton* manualControlsButton() const { return manualControlsButton_; }
    QWidget* manualControlsView() const { return manualControlsView_; }
    QPushButton* manualCalibrationButton(ManualCalibrationPoint point) const;
    QLabel* manualCoordinateLabel(ManualCalibrationPoint point) const;
    QPushButton* useManualPointsButton() const { return useManualPointsButton_; }
    QPushButton* clearManualPointsButton() const { return clearManualPointsButton_; }

  signals:
    void robotReadyToMoveChanged(bool ready);
    void dispenserConnectedChanged(bool connected);
    void areAllManualPointsSetChanged(bool set);

  private:
    QWidget* makeWindow() override;
    void windowDidLoad() override;
    QWidget* makeManualControlsView();

    // SurfaceCantCalibrationDisplay
    void updatePlotSpaceBounds() override;
    void reloadGraph(SurfaceCantAxis axis) override;
    void slopesChanged() override;
    void manualPointChanged(ManualCalibrationPoint point) override;
    void calibrationStateChanged() override;

    const std::shared_ptr<SurfaceCantCalibration> calibration_;
    bool manualControlViewVisible_ = false;
    bool lastRobotReadyToMove_ = false;
    bool lastAreAllManualPointsSet_ = false;

    QPushButton* calibrateButton_ = nullptr;
    NumberField* distanceInXField_ = nullptr;
    NumberField* distanceInYField_ = nullptr;
    QLabel* labelForXSlope_ = nullptr;
    QLabel* labelForYSlope_ = nullptr;
    SurfaceCantGraph* graphForXSlope_ = nullptr;
    SurfaceCantGraph* graphForYSlope_ = nullptr;
    QPushButton* manualControlsButton_ = nullptr;
    // A child of the window, in its layout only while it is shown.
    QWidget* manualControlsView_ = nullptr;
    std::array<QPushButton*, 3> manualCalibrationButtons_{};
    std::array<QLabel*, 3> manualCoordinateLabels_{};
    QPushButton* useManualPointsButton_ = nullptr;
    QPushButton* clearManualPointsButton_ = nullptr;
};

} // namespace Dotfield
