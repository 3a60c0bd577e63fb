#pragma once
// What the dispenser calibration asks of its window: the window itself, the
// scan graph, the sampling overlay with its progress, the state panels and the
// button with the status line. The calibration calls every one of these on
// the main thread.

#include <cstddef>

namespace Dotfield {

enum class DispenserStatePanel { connected, disconnected, calibrated, recalibrating };

class DispenserCalibrationDisplay {
  public:
    virtual ~DispenserCalibrationDisplay() = default;

    virtual void showCalibrationWindow() = 0;
    virtual void closeCalibrationWindow() = 0;
    // One scan point was appended to the plot values at this index.
    virtual void scanPointAppended(std::size_t index) = 0;
    // The plot values or the statistics changed as a whole.
    virtual void reloadGraph() = 0;
    virtual void showOverlayView() = 0;
    virtual void hideOverlayView() = 0;
    // 0 to 29/30 while the statistics are sampled.
    virtual void updateStatisticSamplingProgress(double progress) = 0;
    virtual void displayDispenserStatePanel(DispenserStatePanel panel) = 0;
    // calibrationInProgress() or statusText() changed.
    virtual void calibrationStateChanged() = 0;
};

} // namespace Dotfield
