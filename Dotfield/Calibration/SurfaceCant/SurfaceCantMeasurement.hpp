#pragma once
// The measuring run of the surface-cant calibration: the surface is found by
// the dispenser where the positioner stands and at four more points along X
// and along Y, a quarter of the line's length apart.
//
// From the start point S the surface is found first (P0). When S lies less
// than minimumReferenceClearance above P0, the reference R is S raised by that
// much, else S itself; every move of the run travels at R's height, to R plus
// i × (d / 4) along the axis (i = 1 … 4), X first, then Y, and the run ends
// back at R. Each search uses the robot's slow approach (without stepping off)
// or its normal approach (stepping off), as the robot is set.
//
// The run keeps its own point lists and hands each kept point to its steps as
// it goes; nothing here touches the caller's lists. A cancellation is checked
// after the first search and before and after every other search: it ends the
// run with ElectronicsError.abortedByUser, dropping the point being searched.
// A failed move or search ends it with that error. The caller moves back after
// a cancellation; after a failure the positioner stays where it stopped.
//
// Threads: runs on the robot's queue; the steps are called there.

#include <atomic>
#include <functional>
#include <vector>

#include "Dotfield/Calibration/SurfaceCant/SurfaceCantGraphValues.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class DispenserSensing;
class Robot;

// µm the reference lies at least above the surface found at the start.
inline constexpr double minimumReferenceClearance = 100.0;
// Points measured along each axis after the shared first one.
inline constexpr int surfaceCantPointsPerLine = 4;

struct SurfaceCantPoints {
    std::vector<VeltranePatterns::Coordinate> pointsForX;
    std::vector<VeltranePatterns::Coordinate> pointsForY;
};

struct SurfaceCantMeasurementSteps {
    // The first point, shared by both lines.
    std::function<void(const VeltranePatterns::Coordinate&)> startPointMeasured;
    // A point of one line.
    std::function<void(SurfaceCantAxis, const VeltranePatterns::Coordinate&)> pointMeasured;
    // Both lines measured, before the move back to the reference.
    std::function<void(const SurfaceCantPoints&)> linesMeasured;
};

// Throws std::invalid_argument, before anything moves, for a distance that is
// 0 or not a finite number.
SurfaceCantPoints performSurfaceCantCalibration(Robot& robot, DispenserSensing& sensing,
                                                const std::function<void()>& recalibrationOperation,
                                                const VeltranePatterns::Coordinate& startPoint,
                                                double distanceToCalibrateInX, double distanceToCalibrateInY,
                                                const std::atomic<bool>& hasCalibrationBeenCancelled,
                                                const SurfaceCantMeasurementSteps& steps);

} // namespace Dotfield
