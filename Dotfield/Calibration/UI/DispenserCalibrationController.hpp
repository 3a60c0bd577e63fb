#pragma once
// The dispenser calibration window: one button ("Calibrate dispenser", or
// "Stop calibration" while a run is under way), a status line, the graph of
// the scan with the five surface-sensing points, the overlay of the
// statistical sampling and the dispenser state panels. The calibration itself
// (DispenserCalibration) runs without the window; this controller shows it.
//
// Main thread, like every window; the calibration reaches it from its queue
// by posting to the main queue.

#include <chrono>
#include <memory>

#include <QPointer>
#include <QWidget>

#include "Dotfield/Calibration/DispenserCalibration/DispenserCalibration.hpp"
#include "Dotfield/Calibration/UI/DispenserStatePanelWindow.hpp"

QT_BEGIN_NAMESPACE
class QLabel;
class QPushButton;
QT_END_NAMESPACE

namespace Dotfield {

class DispenserCalibrationChart;
class DispenserCalibrationOverlay;
class TransparentWindow;

struct DispenserCalibrationWindowTimes {
    std::chrono::milliseconds overlayFadeIn{5000};
    std::chrono::milliseconds overlayFadeOut{500};
    DispenserStatePanelTimes panel;
};

class DispenserCalibrationController final : public QWidget, public DispenserCalibrationDisplay {
    Q_OBJECT
    Q_PROPERTY(bool calibrationInProgress READ calibrationInProgress NOTIFY calibrationInProgressChanged)

  public:
    // The graph's two plots and the two fields of a record.
    enum class Plot { impedanceValues, surfaceSensingFrequencies };
    enum class Field { frequency = 0, magnitude = 1 };

    // Shows the calibration (the application's, made at launch); the window
    // becomes its display until the window goes.
    explicit DispenserCalibrationController(std::shared_ptr<DispenserCalibration> calibration,
                                            DispenserCalibrationWindowTimes times = {}, QWidget* parent = nullptr);
    // Shows a calibration of its own.
    explicit DispenserCalibrationController(DispenserCalibrationEnvironment environment,
                                            DispenserCalibrationWindowTimes times = {}, QWidget* parent = nullptr);
    ~DispenserCalibrationController() override;

    DispenserCalibration& calibration() { return *calibration_; }
    const std::shared_ptr<DispenserCalibration>& sharedCalibration() const { return calibration_; }
    bool calibrationInProgress() const { return calibration_->calibrationInProgress(); }

    // The plot data: records per plot, and a record's frequency (kHz) or
    // magnitude. The scan plot shows the plot values; the surface-sensing
    // plot the five statistics while the electronics hold them, else nothing.
    int numberOfRecords(Plot plot) const;
    double number(Plot plot, Field field, int record) const;

    QPushButton* calibrateButton() const { return calibrateButton_; }
    QLabel* statusLine() const { return statusLine_; }
    DispenserCalibrationChart* chart() const { return chart_; }
    DispenserCalibrationOverlay* overlay() const { return overlay_; }
    // The last state panel shown, while it is on screen.
    TransparentWindow* lastStatePanel() const;

    // DispenserCalibrationDisplay
    void showCalibrationWindow() override;
    void closeCalibrationWindow() override;
    void scanPointAppended(std::size_t index) override;
    void reloadGraph() override;
    void showOverlayView() override;
    void hideOverlayView() override;
    void updateStatisticSamplingProgress(double progress) override;
    void displayDispenserStatePanel(DispenserStatePanel panel) override;
    void calibrationStateChanged() override;

  public slots:
    // The button.
    void calibrate();

  signals:
    void calibrationInProgressChanged(bool inProgress);

  private:
    const std::shared_ptr<DispenserCalibration> calibration_;
    const DispenserCalibrationWindowTimes times_;
    QPushButton* calibrateButton_ = nullptr;
    QLabel* statusLine_ = nullptr;
    DispenserCalibrationChart* chart_ = nullptr;
    DispenserCalibrationOverlay* overlay_ = nullptr;
    QPointer<TransparentWindow> lastStatePanel_;
    bool shownInProgress_ = false;
};

} // namespace Dotfield
