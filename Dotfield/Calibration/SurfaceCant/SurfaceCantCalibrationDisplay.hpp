#pragma once
// What the surface-cant calibration asks of its window. The calibration calls
// every one of these on the main thread.

#include "Dotfield/Calibration/SurfaceCant/SurfaceCantGraphValues.hpp"

namespace Dotfield {

enum class ManualCalibrationPoint { upperLeft, upperRight, lowerLeft };

class SurfaceCantCalibrationDisplay {
  public:
    virtual ~SurfaceCantCalibrationDisplay() = default;

    // The graphs take their ranges from the current distances.
    virtual void updatePlotSpaceBounds() = 0;
    // The points or the fitted line of one graph changed.
    virtual void reloadGraph(SurfaceCantAxis axis) = 0;
    // surfaceCant changed (the slope labels).
    virtual void slopesChanged() = 0;
    // A manual point was recorded or cleared.
    virtual void manualPointChanged(ManualCalibrationPoint point) = 0;
    // The run state, the readiness or the dispenser's connection changed (the
    // button's title and what is enabled).
    virtual void calibrationStateChanged() = 0;
};

} // namespace Dotfield
